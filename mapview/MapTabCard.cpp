#include "MapTabCard.h"

#include "DynaPaint.h"
#include "MapEvents.h"
#include "MapNavigation.h"
#include "ModulBasis.h"
#include "TolmWindow.h"

#include <QVBoxLayout>

TMapTabCard* _MapTabCard = nullptr;

TMapTabCard::TMapTabCard(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MapTabCard"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    wndMap = new TTolmWindow(this);
    wndMap->setObjectName(QStringLiteral("wndMap"));
    wndMap->setZoomFactor(1.0);
    layout->addWidget(wndMap);

    wndMap->OnMessage = [](TTolmWindow* sender, TMessage& message) {
        Modul::guarded([&] { MapEvents::DispatchMessage(*sender, message); });
    };
    wndMap->OnPaint = [](TTolmWindow* sender, TPaintRecord& record) {
        Modul::guarded([&] { MapEvents::DispatchPaint(*sender, record); });
    };
    wndMap->OnNotify = [](TTolmWindow* sender, int level) {
        Modul::guarded([&] { MapEvents::DispatchViewChanged(*sender, level); });
    };
    DynaPaint::Install(*wndMap);
    new MapNavigation(*wndMap);
    _MapTabCard = this;
}

TMapTabCard::~TMapTabCard() {
    if (_MapTabCard == this)
        _MapTabCard = nullptr;
    wndMap->OnMessage = nullptr;
    wndMap->OnPaint = nullptr;
    wndMap->OnNotify = nullptr;
    wndMap->SetPathName(QString(), false);
}

void TMapTabCard::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Modul::guarded([&] { MapEvents::DispatchViewChanged(*wndMap, TTolmWindow::NotifyMoved); });
}
