#include "GpsClient.h"
#include "MainWindow.h"
#include "MapEvents.h"
#include "ModularAction.h"
#include "ShowTrack.h"
#include "StartupSequence.h"
#include "TGPSSingleFrame.h"

#include "FrameDialog.h"

#include <QPointer>

// The GPS window behind "&Anzeige|&GPS-Koordinaten", and the track it feeds.
namespace {

QPointer<TFrameDialog> g_dialog;
TGPSSingleFrame* g_frame = nullptr;

void showGpsDialog(TMainWindow& mainWindow) {
    if (!g_dialog) {
        g_frame = new TGPSSingleFrame;
        g_dialog = new TFrameDialog(g_frame, &mainWindow, QStringLiteral("GPS"));
        g_dialog->onClose = [] { g_frame->close(); };
        g_frame->setupTrackMenu();
    }
    g_dialog->show();
    g_frame->hook();
}

const Startup::Registration dialog(Startup::GpsPositionDialog, "GPS position window", [](Startup::Context& context) {
    // The position-arrived event exists from here on.
    GpsClient::positionArrived();
    auto* action = new TModularAction(&context.mainWindow);
    action->setObjectName(QStringLiteral("Modul_GPS_AsSingleDialog"));
    action->setMenuPath(QStringLiteral("&Anzeige|&GPS-Koordinaten"));
    action->setToolbarCategory(QStringLiteral("CAT_VIEW"));
    action->setToolbarBitmapName(QStringLiteral("Modul_GPS_AsSingleDialog"));
    action->setHint(QStringLiteral("GPS-Position anzeigen"));
    TMainWindow* mainWindow = &context.mainWindow;
    QObject::connect(action, &QAction::triggered, [mainWindow] { showGpsDialog(*mainWindow); });
    registerAction(action);
});

const Startup::Registration track(Startup::GpsTrack, "GPS track", [](Startup::Context&) {
    // Lives until the process ends, like the map window module it listens to.
    static Modul::GPS::ShowTrack::Class theTrack;
    theTrack.Attach();
    Modul::GPS::AsSingleDialog::registerTrack(&theTrack);
});

} // namespace

// The GPS window once it was opened, for the program's checks.
TGPSSingleFrame* gpsSingleFrame() {
    return g_frame;
}
