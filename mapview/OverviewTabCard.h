#pragma once

#include "Coord.h"
#include "MapEvents.h"

#include <QColor>
#include <QFrame>
#include <QPointF>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QPainter;
class TTolmWindow;
struct TMessage;
struct TPaintRecord;

// The content of the page "Übersicht": a small map window that stays centred
// on the main map and marks the part the main map shows. Holding the left
// mouse button in it drags the main map along.
class TOverviewTabCard : public QFrame {
    Q_OBJECT
public:
    // Attaches its listener to the main map.
    explicit TOverviewTabCard(QWidget* parent = nullptr);
    // Detaches the listener and closes the overview map.
    ~TOverviewTabCard() override;

    TTolmWindow* wndOverview = nullptr;

    // Opens the overview map (keeping the overview's centre) and shows the
    // frame in that colour; a map that cannot be opened leaves the old one.
    void SetOverviewMap(const QString& path, const QColor& frameColour);
    QColor FrameColour() const { return m_frameColour; }

    // Reads the main map's centre and corners, centres the overview on the
    // main map and repaints it once.
    void Update();

    // The main map's centre and corners (top-left, top-right, bottom-right,
    // bottom-left) as last read; type 0 with both values 0.0 is unknown.
    const Coord& MainCentre() const { return m_centre; }
    const std::array<Coord, 4>& MainCorners() const { return m_corners; }

    // Draws the frame of the main view on the overview: the outline when its
    // shorter side is at least 5 pixels, and a cross-hair at the centre when
    // a corner is missing or the shorter side is below 16 pixels.
    struct FramePaint {
        bool outline = false;
        bool crossHair = false;
    };
    static FramePaint PaintFrame(QPainter& canvas, const QColor& colour, const QPointF& centre,
                                 const std::optional<std::array<QPointF, 4>>& corners);

    // The listener on the main map: every view change runs Update.
    class OverviewMapEventListener : public MapEventListener {
    public:
        explicit OverviewMapEventListener(TOverviewTabCard& card) : m_card(card) {}
        void ViewChanged(MapEventInfo& info) override;

    private:
        TOverviewTabCard& m_card;
    };

private:
    void paintOverview(TPaintRecord& record);
    void message(TMessage& message);
    void jump(const TMessage& message);
    // A main map position as a point of the overview window; none when it
    // cannot be converted or lies too far outside.
    std::optional<QPointF> overviewPoint(const Coord& position) const;

    Coord m_centre{};
    std::array<Coord, 4> m_corners{};
    QColor m_frameColour{0, 0, 0};
    bool m_capture = false;
    std::unique_ptr<OverviewMapEventListener> m_listener;
};
