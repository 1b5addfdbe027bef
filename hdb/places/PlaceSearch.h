#pragma once

#include "DataPage.h"
#include "OrteTabCard.h"
#include "PointPainter.h"

#include <QPointer>
#include <QWidget>

#include <vector>

// The place search module: the page "Gemeinden" and the one marker that
// flashes where the map jumped to. Created once at start-up; lives until the
// process ends.
class PlaceSearchModule {
public:
    PlaceSearchModule();
    ~PlaceSearchModule();

    static PlaceSearchModule* instance();

    DataPageInfo& Page() { return m_page; }
    TimedPointPainter& Marker() { return m_marker; }
    // None before the page was first shown.
    TOrteTabCard* Card() const { return m_card; }

    // Controls other modules place below the search line (a page that
    // exists already takes them at once).
    void AddControl(QWidget* control) {
        m_extensions.push_back(control);
        if (m_card)
            m_card->AddControl(control);
    }
    // Called, in registration order, with the shown table each time the
    // user jumps to a place.
    void AddPlaceChosenListener(TOrteTabCard::PlaceChosenListener listener) {
        m_listeners.push_back(std::move(listener));
    }

private:
    DataPageInfo m_page;
    TimedPointPainter m_marker;
    QPointer<TOrteTabCard> m_card;
    std::vector<QWidget*> m_extensions;
    std::vector<TOrteTabCard::PlaceChosenListener> m_listeners;
};
