#pragma once

#include "DataPage.h"
#include "MapActionTarget.h"
#include "MapSequence.h"
#include "MapTabCard.h"
#include "MapWindowModule.h"

#include <QPointer>

#include <memory>

// The map window module of the program: the page "Karte" with its tab card,
// the map sequence, and what the map actions of menu and toolbar need.
class MainMapModule final : public MapWindowModule, public MapActionTarget {
public:
    // Adds the page "Karte" to the page manager when there is one and
    // becomes the target of the map actions.
    MainMapModule();
    ~MainMapModule() override;

    // None before start-up created it.
    static MainMapModule* instance();

    // --- MapWindowModule ---
    void Start() override;
    TTolmWindow* Window() const override;
    QWidget* WindowControl() const override;
    TTolmWindow* ShowMapPage() override;
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

    // --- MapActionTarget ---
    TTolmWindow* window() const override { return Window(); }
    double zoom() const override { return Zoom(); }
    void setZoom(double zoom) override { SetZoom(zoom, std::nullopt); }
    double minZoom() const override { return MinZoom; }
    double maxZoom() const override { return MaxZoom; }
    int dimmerValue() const override;
    void setDimmerValue(int value) override;
    void repaint() override { Repaint(); }
    MapFunction* activeMapFunction() const override;
    void activateMapFunction(MapFunction* function) override;
    int mapCount() const override { return m_sequence.Count(); }
    int currentMapNumber() const override { return m_sequence.CurrentMapNumber(); }
    void selectMap(int number) override { m_sequence.SelectMap(number); }
    void showMap(const Modul::Kartenfolge::Info& entry, bool showPage) override;
    bool isShownMap(const Modul::Kartenfolge::Info& entry) const override;

    // Shows a map file that is not one of the sequence (a file the user
    // opened from outside); tells the user when it cannot be opened.
    bool OpenMapFile(const QString& path);

    // Zoom limited to the module's range; MaxZoom 0 or less sets no upper limit.
    double ClampedZoom(double zoom) const;

    DataPageInfo& Page() { return m_page; }
    Modul::Kartenfolge::Sequence& Sequence() { return m_sequence; }
    TMapTabCard* TabCard() const { return m_card; }

private:
    QWidget* createCard(QWidget* owner);
    // Tells the user that the map file of a sequence entry could not be opened.
    static void reportUnopenedMap(const QString& name, const QString& path);

    DataPageInfo m_page;
    QPointer<TMapTabCard> m_card;
    // The card when no page manager hosts it (a program without page frames).
    std::unique_ptr<TMapTabCard> m_ownCard;
    Modul::Kartenfolge::Sequence m_sequence;
};
