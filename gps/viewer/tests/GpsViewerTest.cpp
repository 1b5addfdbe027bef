// The GPS window, its marker and track: the rules alone, and in the program
// started on the demo medium with a real link program fed through a
// pseudo-terminal, positions arriving through the client library.
#include "LinkProcess.h"

#include "AppInitModule.h"
#include "CoordCode.h"
#include "DynaGPSPainter.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "ShowTrack.h"
#include "TComPortSetupDialog.h"
#include "TGPSSingleFrame.h"
#include "TolmWindow.h"

#include "DynaPaintStrategy.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

TGPSSingleFrame* gpsSingleFrame();

namespace {

using Track = Modul::GPS::ShowTrack::Class;

// A client library that has no link program.
int noInstall() {
    return 0;
}
uint32_t noHook(const NmeaHookRequest*) {
    return 0;
}
int noPos(void*, int) {
    return 1;
}
int noHeight(float*) {
    return 1;
}
int noUnInstall(int) {
    return 0;
}
int noDeHook(uint32_t) {
    return 0;
}
void noPost(ZoziPostFunction, void*) {}

GpsClient::Api silentApi() {
    GpsClient::Api api;
    api.install = noInstall;
    api.hookPosition = noHook;
    api.getPosData = noPos;
    api.getHeight = noHeight;
    api.deHook = noDeHook;
    api.unInstall = noUnInstall;
    api.setPostFunction = noPost;
    return api;
}

bool waitFor(const std::function<bool()>& done, int rounds = 1500) {
    for (int i = 0; i < rounds; ++i) {
        if (done())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// Counts the full paints of the main map.
struct PaintCounter : MapEventListener {
    int paints = 0;
    void Paint(MapEventInfo&) override { ++paints; }
};

// "ddmm.mmmmm" or "dddmm.mmmmm" of a positive angle in degrees.
std::string nmeaAngle(double degrees, int width) {
    const int whole = int(degrees);
    char text[32];
    std::snprintf(text, sizeof(text), "%0*d%08.5f", width, whole, (degrees - whole) * 60.0);
    return text;
}

} // namespace

// The centring rule at both ends of the tolerance, in a 400 x 300 window
// (centre 200/150, half widths less 16: 184/134).
TEST(DynaGPSPainter, CentringToleranceFromCentreToEdge) {
    const QRect client(0, 0, 400, 300);
    EXPECT_TRUE(DynaGPSPainter::nearCentre(216, 166, client, 0));
    EXPECT_FALSE(DynaGPSPainter::nearCentre(217, 150, client, 0));
    EXPECT_FALSE(DynaGPSPainter::nearCentre(200, 133, client, 0));
    EXPECT_TRUE(DynaGPSPainter::nearCentre(384, 284, client, 255));
    EXPECT_TRUE(DynaGPSPainter::nearCentre(16, 16, client, 255));
    EXPECT_FALSE(DynaGPSPainter::nearCentre(385, 150, client, 255));
    EXPECT_FALSE(DynaGPSPainter::nearCentre(200, 15, client, 255));
    // A tiny window keeps at least 16 pixels either way.
    EXPECT_TRUE(DynaGPSPainter::nearCentre(26, 26, QRect(0, 0, 20, 20), 255));
    EXPECT_FALSE(DynaGPSPainter::nearCentre(27, 10, QRect(0, 0, 20, 20), 255));
}

// The ring of 2000 points, the states and the menu items.
TEST(ShowTrack, RingStatesAndMenu) {
    Track track;
    QAction show(nullptr), clear(nullptr);
    ASSERT_TRUE(track.setupMenu(&show, &clear));
    auto point = [](int i) { return Coord{1, 0, 5500000.0 + i, 3500000.0}; };
    track.addPoint(point(0), true);
    EXPECT_TRUE(track.points().empty()) << "state 0 collects nothing";
    show.trigger();
    EXPECT_EQ(track.state(), Track::Shown);
    EXPECT_TRUE(show.isChecked());
    show.trigger();
    EXPECT_EQ(track.state(), Track::Hidden);
    EXPECT_FALSE(show.isChecked());
    track.addPoint(point(0), false);
    EXPECT_TRUE(track.points().empty()) << "a position on the same pixel is no new point";
    for (int i = 1; i <= 2000; ++i)
        track.addPoint(point(i), true);
    ASSERT_EQ(track.points().size(), 2000u) << "state 1 collects";
    EXPECT_EQ(track.ringIndex(), 0u);
    track.addPoint(point(2001), true);
    ASSERT_EQ(track.points().size(), 2000u);
    EXPECT_EQ(track.points()[0].x, point(2001).x) << "the 2001st point replaces the first";
    EXPECT_EQ(track.ringIndex(), 1u);
    const auto ordered = track.ordered();
    EXPECT_EQ(ordered.front().x, point(2).x) << "the line starts at the second point";
    EXPECT_EQ(ordered.back().x, point(2001).x);
    clear.trigger();
    EXPECT_TRUE(track.points().empty());
    EXPECT_EQ(track.state(), Track::Off);
    EXPECT_EQ(track.ringIndex(), 0u);
}

// Without a registration the map options stay disabled; the height stays
// empty when the library reports none; the flash ends with its timer.
TEST(TGPSSingleFrame, WithoutLinkAndWithoutHeight) {
    const GpsClient::Api api = silentApi();
    TGPSSingleFrame frame(nullptr, api);
    frame.show();
    EXPECT_EQ(frame.size(), QSize(232, 323));
    EXPECT_FALSE(frame.installed());
    frame.hook();
    EXPECT_EQ(frame.hookHandle(), 0u);
    EXPECT_FALSE(frame.chkShowPos->isEnabled());
    EXPECT_FALSE(frame.chkCenterPos->isEnabled());
    EXPECT_TRUE(frame.painter().visible()) << "the check box still rules the painter";
    frame.chkShowPos->setChecked(false);
    frame.chkShowPosClick();
    EXPECT_FALSE(frame.chkCenterPos->isEnabled());
    EXPECT_FALSE(frame.painter().visible());
    frame.chkCenterPos->setChecked(false);
    frame.centerChanged();
    EXPECT_EQ(frame.painter().centerThreshold(), -1);
    EXPECT_FALSE(frame.trackCenterPos->isEnabled());
    frame.chkCenterPos->setChecked(true);
    frame.trackCenterPos->setValue(51);
    EXPECT_EQ(frame.painter().centerThreshold(), 51);

    int arrived = 0;
    struct Listener {
        int* count;
        void on(void*) { ++*count; }
    } listener{&arrived};
    GpsClient::positionArrived().add(&Listener::on, &listener);
    frame.sleHeight->setText(QStringLiteral("1.0 m"));
    frame.positionUpdate();
    GpsClient::positionArrived().remove(&Listener::on, &listener);
    EXPECT_EQ(arrived, 1);
    EXPECT_EQ(frame.sleHeight->text(), QString());
    EXPECT_EQ(frame.sleNorthing->text(), QString::fromUtf8("0° 0.00000' N"));
    EXPECT_EQ(frame.blinkColour(), QColor(0xFF, 0, 0));
    EXPECT_TRUE(frame.tmBlinkTimer->isActive());
    frame.tmBlinkTimerTimer();
    EXPECT_EQ(frame.blinkColour(), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_FALSE(frame.tmBlinkTimer->isActive());
}

// The program on the demo medium, a link program on a pseudo-terminal: the
// port dialog, positions on the map without map repaints, centring, the
// track, a restart of the link program, and a playback at 8x.
TEST(GpsWindow, LivePositionsOnTheDemoMap) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("gps-test-") + QByteArray::number(getpid()));
    Platform::ScriptedDialogs dialogs;
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    TAppInitModule init(options);
    struct Cleanup {
        ~Cleanup() {
            MapFunction::Activate(nullptr);
            delete MainMapModule::instance();
        }
    } cleanup;
    ASSERT_TRUE(init.initApp());
    TMainWindow* mainWindow = init.basis()->mainWindow();
    mainWindow->resize(1100, 800);
    mainWindow->show();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    module->DefCoordDynamic = false;
    TModularAction* gpsAction = nullptr;
    for (TModularAction* action : mainWindow->registeredActions())
        if (action->menuPath() == QStringLiteral("&Anzeige|&GPS-Koordinaten"))
            gpsAction = action;
    ASSERT_NE(gpsAction, nullptr);
    EXPECT_EQ(gpsAction->toolbarCategory(), "CAT_VIEW");

    module->Sequence().SelectMap(3);
    module->SetZoom(1.0, std::nullopt);
    Transid::BuildRegistry();
    Coord centreWgs{Transid::Code::DhdnGeographic, 0, 7.5, 49.55};
    Coord centreGk{Transid::Code::DhdnGaussKrueger, 3};
    ASSERT_TRUE(Transid::Convert(centreWgs, centreGk));
    module->SetCentre(Coord{1, 3, centreGk.y, centreGk.x}, true);
    TTolmWindow* window = module->Window();
    ASSERT_TRUE(waitFor([&] { return window->viewport()->isVisible() && window->viewport()->width() > 400; }));
    PaintCounter counter;
    counter.Attach();
    struct Detach {
        PaintCounter& c;
        ~Detach() { c.Detach(); }
    } detach{counter};

    gpsAction->trigger();
    TGPSSingleFrame* frame = gpsSingleFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->installed());
    ASSERT_NE(frame->hookHandle(), 0u);
    EXPECT_TRUE(frame->chkShowPos->isEnabled());
    EXPECT_TRUE(frame->itemShowTrack->isVisible()) << "the track is registered";

    // A fix `east` and `north` metres from the centre, as the receiver sends it.
    int second = 0;
    auto fixAt = [&](double north, double east, const char* height = "123.4") {
        Coord gk{Transid::Code::DhdnGaussKrueger, 3, centreGk.x + east, centreGk.y + north};
        Coord wgs{Transid::Code::Etrs89Geographic, 0};
        EXPECT_TRUE(Transid::Convert(gk, wgs));
        char time[32];
        ++second;
        std::snprintf(time, sizeof(time), "12%02d%02d.00", second / 60, second % 60);
        const std::string body = "GPGGA," + std::string(time) + "," + nmeaAngle(wgs.y, 2) + ",N," +
                                 nmeaAngle(wgs.x, 3) + ",E,1,08,0.9," + height + ",M,47.0,M,,0000";
        unsigned char sum = 0;
        for (char c : body)
            sum ^= static_cast<unsigned char>(c);
        char tail[8];
        std::snprintf(tail, sizeof(tail), "*%02X\r\n", sum);
        return "$" + body + tail;
    };
    auto feed = [&](const std::string& sentence) {
        const QString before = frame->sleEasting->text() + frame->sleNorthing->text() + frame->sleHeight->text();
        link.send(sentence);
        return waitFor([&] {
            return frame->sleEasting->text() + frame->sleNorthing->text() + frame->sleHeight->text() != before;
        });
    };
    auto centreOfMap = [&] {
        Coord c{};
        module->Position(c, 5);
        return c;
    };
    const double metresPerPixel = 2.5;

    // No centring: the marker moves by dynamic painting alone.
    frame->chkCenterPos->setChecked(false);
    frame->centerChanged();
    ASSERT_TRUE(feed(fixAt(0, 0)));
    EXPECT_EQ(frame->sleHeight->text(), "123.4 m");
    EXPECT_TRUE(frame->sleNorthing->text().startsWith(QString::fromUtf8("49° 3")))
        << frame->sleNorthing->text().toStdString();
    EXPECT_TRUE(frame->sleEasting->text().endsWith(" O"));
    const int cx = window->viewport()->width() / 2, cy = window->viewport()->height() / 2;
    EXPECT_NEAR(frame->painter().lastPixel().x, cx, 2);
    EXPECT_NEAR(frame->painter().lastPixel().y, cy, 2);
    const int paints = counter.paints;
    ASSERT_TRUE(feed(fixAt(0, 100 * metresPerPixel, "")));
    EXPECT_EQ(counter.paints, paints) << "the map is not drawn again for a moving marker";
    EXPECT_NEAR(frame->painter().lastPixel().x, cx + 100, 2);
    EXPECT_EQ(frame->sleHeight->text(), "0.0 m") << "an empty altitude field is reported as 0";
    auto* strategy = DynaPaintStrategy::Instance();
    ASSERT_NE(strategy, nullptr);
    const QImage work = strategy->WorkPicture();
    EXPECT_EQ(work.pixelColor(cx + 100 + 8, cy), QColor(0, 255, 0)) << "the marker's circle, right";

    // t = 255: 100 pixels off the centre are near enough; t = 0: not.
    frame->chkCenterPos->setChecked(true);
    frame->trackCenterPos->setValue(255);
    frame->centerChanged();
    const Coord before = centreOfMap();
    ASSERT_TRUE(feed(fixAt(10, 100 * metresPerPixel)));
    EXPECT_NEAR(centreOfMap().x, before.x, 0.01);
    EXPECT_NEAR(centreOfMap().y, before.y, 0.01);
    frame->trackCenterPos->setValue(0);
    ASSERT_TRUE(feed(fixAt(0, 100 * metresPerPixel)));
    EXPECT_NEAR(centreOfMap().y, centreGk.x + 100 * metresPerPixel, 2 * metresPerPixel) << "recentred";
    EXPECT_NEAR(frame->painter().lastPixel().x, cx, 2);

    // The track: collected while hidden, drawn in lime when shown.
    frame->painter().setColour(QColor(0, 0, 255));
    auto* track = dynamic_cast<Track*>(Modul::GPS::AsSingleDialog::registeredTrack());
    ASSERT_NE(track, nullptr);
    frame->chkCenterPos->setChecked(false);
    frame->centerChanged();
    frame->itemShowTrack->trigger();
    frame->itemShowTrack->trigger();
    ASSERT_EQ(track->state(), Track::Hidden);
    ASSERT_TRUE(feed(fixAt(0, 0)));
    ASSERT_TRUE(feed(fixAt(0, 40 * metresPerPixel)));
    ASSERT_EQ(track->points().size(), 2u);
    auto limePixels = [&] {
        QCoreApplication::processEvents();
        const QImage image = strategy->WorkPicture();
        int n = 0;
        for (int x = cx - 200; x < cx + 200; ++x)
            n += image.pixelColor(x, cy - 50 + 50) == QColor(0, 255, 0) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(limePixels(), 0) << "state 1 does not draw";
    frame->itemShowTrack->trigger();
    ASSERT_TRUE(waitFor([&] { return limePixels() > 0; }));
    EXPECT_GE(limePixels(), 30);

    // The link program ends and comes back: positions keep arriving.
    kill(link.pid, SIGKILL);
    waitpid(link.pid, nullptr, 0);
    link.pid = -1;
    ASSERT_TRUE(link.start());
    // The client finds the new program on its own within moments; a
    // receiver repeats its fix every second, so does this one.
    bool received = false;
    for (int i = 0; i < 30 && !received; ++i) {
        link.send(fixAt(0, 20 * metresPerPixel, "77.0"));
        received = waitFor([&] { return frame->sleHeight->text() == "77.0 m"; }, 100);
    }
    ASSERT_TRUE(received) << "positions arrive after the link program's restart";
    EXPECT_EQ(frame->sleHeight->text(), "77.0 m");

    // The port dialog: what the link has, and what "OK" sends.
    frame->itemSettings->setVisible(true);
    auto* dialog = new TComPortSetupDialog(frame);
    ASSERT_TRUE(dialog->load());
    EXPECT_EQ(dialog->sleComPort->text(), "1");
    EXPECT_EQ(dialog->lstNMEAOptions->currentText(), "GGA und RMC");
    dialog->lstBaudrate->setCurrentText(QStringLiteral("9600"));
    dialog->OKBtn->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    dialog->lstBaudrate->setCurrentIndex(0);
    ASSERT_TRUE(dialog->load());
    EXPECT_EQ(dialog->lstBaudrate->currentText(), "9600");
    // A pseudo-terminal refuses parity: the message, and the dialog stays.
    dialog->setResult(0);
    dialog->lstParity->setCurrentText(QStringLiteral("gerade"));
    EXPECT_EQ(dialog->config().parity, 2);
    dialog->OKBtn->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, "Schnittstelle");
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("Die gewählte Schnittstelle konnte nicht geöffnet werden.\r\n\r\n"
                                "Möglicherweise ist sie von einem anderen Programm belegt."));
    EXPECT_EQ(dialog->result(), 0) << "the dialog stays open";
    ASSERT_TRUE(dialog->load());
    EXPECT_EQ(dialog->lstParity->currentText(), "keine") << "the link kept its port";
    dialog->showConfig(NmeaPortConfig{3, 1, 4800, 8, 2, 0, 0});
    EXPECT_EQ(dialog->lstParity->currentText(), "gerade");
    NmeaPortConfig odd{3, 1, 7200, 7, 1, 1, 0};
    dialog->showConfig(odd);
    EXPECT_EQ(dialog->lstBaudrate->currentText(), "4800");
    EXPECT_EQ(dialog->lstBits->currentText(), "7 Bits");
    EXPECT_EQ(dialog->lstParity->currentText(), "ungerade");
    EXPECT_EQ(dialog->lstStopbits->currentText(), "1,5 Stoppbits");
    odd.flags = 0;
    dialog->showConfig(odd);
    EXPECT_EQ(dialog->lstNMEAOptions->currentIndex(), -1);
    EXPECT_EQ(dialog->config().flags, 0);
    dialog->sleComPort->clear();
    EXPECT_EQ(dialog->config().port, 0);
    // A gpsd server becomes the device of the port in the link's settings.
    dialog->showConfig(NmeaPortConfig{3, 2, 4800, 8, 0, 0, 0});
    dialog->chkGpsd->setChecked(true);
    dialog->sleGpsd->setText(QStringLiteral("localhost:1"));
    dialog->OKBtn->click();
    EXPECT_EQ(link.ini("Ports", "COM2"), "gpsd://localhost:1");
    dialog->chkGpsd->setChecked(false);
    // Back to the pseudo-terminal.
    dialog->showConfig(NmeaPortConfig{3, 1, 4800, 8, 0, 0, 0});
    dialog->OKBtn->click();

    // Playback of a recorded drive at 8x: the marker follows the file.
    const std::string drive = link.dir + "/drive.nme";
    {
        std::ofstream out(drive);
        second = 100;
        for (int i = 0; i < 10; ++i)
            out << fixAt(0, (i - 5) * 30 * metresPerPixel);
    }
    track->clear();
    frame->itemShowTrack->trigger();
    frame->mnuPopupPopup();
    dialogs.openAnswers.push_back(QStringList{QString::fromStdString(drive)});
    frame->itemSpeedN[3]->trigger();
    frame->itemPlay->setChecked(false);
    frame->itemPlay->trigger();
    frame->mnuPopupPopup();
    EXPECT_TRUE(frame->itemSpeedN[3]->isChecked());
    // The last record lies 120 pixels east of the first centre, which the
    // map left 100 pixels eastwards when it recentred. The link announces
    // only the newest of the fixes it reads in one go, so on a busy machine
    // a record or two may pass unannounced; the drive must still arrive
    // whole, in order.
    const int last = cx + 4 * 30 - 100;
    ASSERT_TRUE(waitFor([&] { return std::abs(frame->painter().lastPixel().x - last) <= 2; }, 10000))
        << frame->painter().lastPixel().x;
    const auto path = track->ordered();
    EXPECT_GE(path.size(), 6u);
    for (std::size_t i = 1; i < path.size(); ++i)
        EXPECT_GT(path[i].y, path[i - 1].y) << "eastwards, in file order";

    // Closing stops playback and hides the marker; the hook stays.
    frame->btnClose->click();
    EXPECT_FALSE(frame->painter().visible());
    EXPECT_NE(frame->hookHandle(), 0u);
}
