#pragma once

#include <QFrame>

class TTolmWindow;

// The content of the page "Karte": a frame holding the main map window. It
// hands the window's messages, paints and view changes to the map events,
// and a change of its own size counts as a moved view.
class TMapTabCard : public QFrame {
    Q_OBJECT
public:
    explicit TMapTabCard(QWidget* parent = nullptr);
    // Closes the map of wndMap first: the window itself closes nothing.
    ~TMapTabCard() override;

    TTolmWindow* wndMap = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The tab card of the main map, none while the page has no content.
extern TMapTabCard* _MapTabCard;
