#pragma once

#include "MapActionTarget.h"
#include "MapWindowModule.h"
#include "TolmWindow.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Maps for the function tests, written with the project's map writer: 8-bit
// pixels of index (x / 8 + y / 8) % 16 over a 16-colour palette, Gauss-Krüger
// strip 3 with one metre per pixel and the top left corner at easting
// 3 500 000, northing 5 600 000.
struct FunctionTestMaps {
    QTemporaryDir dir;
    // The path of the written map, empty on failure.
    std::string write(const std::string& name, int width, int height) const;
};

// A map window module around a window of the test: it does what the real
// module does with the window and records the calls the functions make.
class FunctionTestModule : public MapWindowModule, public MapActionTarget {
public:
    explicit FunctionTestModule(TTolmWindow* window);
    ~FunctionTestModule() override;

    struct ZoomCall {
        double zoom;
        std::optional<Coord> centre;
    };
    std::vector<ZoomCall> zoomCalls;
    std::vector<Coord> centreCalls;
    int repaints = 0;

    // MapWindowModule
    void Start() override;
    TTolmWindow* Window() const override { return m_window; }
    QWidget* WindowControl() const override { return m_window ? m_window->viewport() : nullptr; }
    TTolmWindow* ShowMapPage() override { return m_window; }
    QString MapPath() const override;
    void SetMapPath(const QString& path, bool showPage) override;
    bool Position(Coord& out, int alignment) const override;
    void SetCentre(const Coord& position, bool showPage) override;
    double Zoom() const override;
    void SetZoom(double zoom, const std::optional<Coord>& centre) override;
    void SetMap(const QString& path, double zoom, const std::optional<Coord>& centre, bool showPage) override;
    bool Transform(const Coord& from, Coord& to) const override;
    int32_t TransformEx(const Coord& from, Coord& to) const override;
    void RepaintWindow() override;

    // MapActionTarget
    TTolmWindow* window() const override { return m_window; }
    double zoom() const override { return Zoom(); }
    void setZoom(double zoom) override { SetZoom(zoom, std::nullopt); }
    double minZoom() const override { return MinZoom; }
    double maxZoom() const override { return MaxZoom; }
    int dimmerValue() const override { return 255; }
    void setDimmerValue(int) override {}
    void repaint() override { Repaint(); }
    MapFunction* activeMapFunction() const override;
    void activateMapFunction(MapFunction* function) override;
    int mapCount() const override { return 0; }
    int currentMapNumber() const override { return 0; }
    void selectMap(int) override {}
    void showMap(const Modul::Kartenfolge::Info&, bool) override {}
    bool isShownMap(const Modul::Kartenfolge::Info&) const override { return false; }

private:
    TTolmWindow* m_window;
};

// A shown map window with the events wired as the map tab card wires them,
// a test module around it and a map of the given size open at zoom 1.
class MapWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a fresh map of that size, centred on its middle at zoom 1.
    void openMap(int width, int height);
    // Zoom and the view's centre (a map display pixel at that zoom).
    void setView(double zoom, double centreX, double centreY);

    QWidget* client() const { return window->viewport(); }
    int clientWidth() const { return client()->width(); }
    int clientHeight() const { return client()->height(); }

    // Synthetic mouse input on the client area.
    void press(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void doubleClick(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void move(int x, int y, Qt::MouseButtons buttons = Qt::LeftButton);
    void release(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void click(int x, int y) {
        press(x, y);
        release(x, y);
    }

    // Gauss-Krüger (northing, easting) of a client point; of the window's centre.
    Coord gaussKruegerOf(double x, double y) const;
    Coord gaussKruegerOfCentre() const;

    // What the window shows now.
    QImage shot() const;

    FunctionTestMaps maps;
    std::unique_ptr<TTolmWindow> window;
    std::unique_ptr<FunctionTestModule> module;
};

inline QRgb inverted(QRgb c) {
    return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
}
