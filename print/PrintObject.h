#pragma once

#include "MapEvents.h"
#include "PrintLayout.h"

#include "Coord.h"
#include "velmar32.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <memory>

class PrintModule;
class PrintObject;
class QPainter;
class QPrinter;
class QWidget;

// A map event on the printer: listeners paint on the page with the same code
// as on the screen. Window points of their drawing code become printer
// pixels of the page, and the view is the map's rectangle on the page.
class PrintMapEventInfo : public MapEventInfo {
public:
    PrintMapEventInfo(PrintObject& print, QPainter& canvas);

    QRect ViewRect() const override;
    bool Transform(const Coord& from, Coord& to) const override;
    bool IsScreen() const override { return false; }

private:
    PrintObject& m_print;
};

// One print of the main map window on one page: the map from a duplicate of
// the window's map (the screen keeps its zoom), everything the map event
// listeners paint, the margin text and a scale line or scale bar. Lives for
// one print.
class PrintObject {
public:
    // scale 0: the window content fitted to the page; else 1 : scale around
    // the window's centre.
    PrintObject(PrintModule& module, std::int32_t scale, bool scaleBar);
    ~PrintObject();
    PrintObject(const PrintObject&) = delete;
    PrintObject& operator=(const PrintObject&) = delete;

    // The print dialog for the printer; false when cancelled or when the
    // chosen printer cannot be used (the user was told).
    bool ShowPrintDialog(QWidget* owner);
    // Prints on the printer; false when the document could not be written.
    bool Print();

    // The printer this object prints on: set it to PDF output to print
    // without a dialog.
    QPrinter& Printer() { return *m_printer; }

    QString MarginText;     // lines separated by CR or LF
    bool DrawMargin = true; // margin text and scale line or bar
    bool ScaleBar = true;

    // --- the layout of the last print (printer pixels) ---
    TLM_HANDLE PrintMap() const { return m_printMap; }
    // Where the map stands on the page; its left and top are always 0.
    const TLM_RECT& MapRect() const { return m_mapRect; }
    // The display pixel of the print map on the map rectangle's top left corner.
    std::int32_t PrintOffsetX() const { return m_offsetX; }
    std::int32_t PrintOffsetY() const { return m_offsetY; }
    double MetresPerPixel() const { return m_metresPerPixel; }
    // The scale printed; 0 before a print in content mode.
    std::int32_t Scale() const { return m_scale; }
    const PrintLayout::PrintArea& Area() const { return m_area; }

    // Converts as the listeners' print event does (see PrintMapEventInfo).
    bool Transform(const Coord& from, Coord& to) const;

private:
    void limitToPaper(bool tall);
    void scaleLayout();
    void contentLayout();
    void drawMap(QPainter& painter, const TLM_RECT& clip);
    void paintListeners(QPainter& painter);
    void drawMargin(QPainter& painter);
    void drawScaleBar(QPainter& painter, int bottom, int cy);
    void writeText(QPainter& painter, int x, int top, const QString& text);
    void writeCentred(QPainter& painter, int centre, int top, const QString& text);

    PrintModule& m_module;
    std::unique_ptr<QPrinter> m_printer;
    TLM_HANDLE m_printMap = 0;
    void* m_overlay = nullptr;
    std::int32_t m_requestedScale = 0; // 0: the window content
    std::int32_t m_scale = 0;          // the scale printed
    double m_windowZoom = 1.0;         // the print map's zoom before any layout
    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
    TLM_RECT m_mapRect{0, 0, 0, 0};
    PrintLayout::PrintArea m_area;
    double m_metresPerPixel = 0.0;
    QColor m_background = Qt::white;
    QFont m_font;
};
