// The coordinate display: its status text, the dialog that chooses the
// systems, and the display in the program started on the demo medium.
#include "AppInitModule.h"
#include "CoordSelectDlgAction.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "ShowCoord.h"
#include "TCoordSelectDialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

using Modul::ShowCoord;

TEST(CoordDisplay, DegMinSecRoundsHalfUpAndCarries) {
    auto dms = [](double value, const char* letters) { return ShowCoord::degMinSec(value, letters).toStdString(); };
    EXPECT_EQ(dms(49.5, "NS"), "49° 30' 00,0\" N");
    EXPECT_EQ(dms(-0.5, "OW"), "0° 30' 00,0\" W");
    EXPECT_EQ(dms(7.999999, "OW"), "8° 00' 00,0\" O");
    EXPECT_EQ(dms(8.0 + 5.25 / 3600, "OW"), "8° 00' 05,3\" O") << "tenths of a second, half up";
    EXPECT_EQ(dms(50.0 + 59.0 / 60 + 59.96 / 3600, "NS"), "51° 00' 00,0\" N") << "carries into minute and degree";
    EXPECT_EQ(dms(-0.5 / 36000, "NS"), "0° 00' 00,0\" N") << "half up to zero, which is north";
    EXPECT_EQ(dms(-33.0 - 0.06 / 3600, "NS"), "33° 00' 00,1\" S");
}

TEST(CoordDisplay, StatusTextInEveryChoice) {
    Transid::BuildRegistry();
    // On the central meridian of strip 3 (9° E); map library order: a = northing.
    const Coord p{1, 3, 5600000.0, 3500000.0};
    const QString gkText = QStringLiteral("DHDN Gauß-Krüger Rechts:3500000.00 Hoch:5600000.00    ");
    const QString geoDhdn = ShowCoord::statusText(p, {0, 1});
    EXPECT_EQ(ShowCoord::statusText(p, {0, 0}), QString()) << "both \"keine\": nothing";
    EXPECT_EQ(ShowCoord::statusText(p, {1, 0}), gkText);
    const QRegularExpression dhdn(QStringLiteral("^Geographisch DHDN:50° 3\\d' \\d\\d,\\d\" N 9° 00' 00,0\" O$"));
    EXPECT_TRUE(dhdn.match(geoDhdn).hasMatch()) << geoDhdn.toStdString();
    EXPECT_EQ(ShowCoord::statusText(p, {1, 1}), gkText + geoDhdn);

    // UTM strip 32 has the same central meridian: the eastings carry the
    // strip in their millions; the datums differ by tens of metres.
    const QString utm = QStringLiteral("^%1 UTM  E:(\\d+\\.\\d\\d) N:(\\d+\\.\\d\\d)    Geographisch %1:50° ");
    QString position[4], geographic[4];
    for (int i : {2, 3}) {
        const QString name = i == 2 ? "ED50" : "ETRS89", text = ShowCoord::statusText(p, {i, i});
        const auto m = QRegularExpression(utm.arg(name)).match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_NEAR(m.captured(1).toDouble(), 32500000.0, 200.0) << text.toStdString();
        EXPECT_NEAR(m.captured(2).toDouble(), 5595000.0, 5000.0) << text.toStdString();
        position[i] = m.captured(1) + m.captured(2);
        geographic[i] = text.section(':', 3);
    }
    EXPECT_NE(position[2], position[3]) << "two datums, two positions";
    EXPECT_NE(geographic[2], geographic[3]);
}

TEST(CoordDisplay, DialogCopiesOnOkAndKeepsOnAbbrechen) {
    ShowCoord::Settings settings{2, 0};
    for (int projected = 0; projected <= 3; ++projected) {
        for (int geographic = 0; geographic <= 3; ++geographic) {
            const ShowCoord::Settings before = settings;
            for (bool ok : {false, true}) {
                TCoordSelectDialog dialog(settings);
                QRadioButton* p[] = {dialog.rbVerebnetKein, dialog.rbGK, dialog.rbUTM_ED50, dialog.rbUTM_ETRS89};
                QRadioButton* g[] = {dialog.rbGeoKein, dialog.rbDHDN, dialog.rbED50, dialog.rbETRS89};
                EXPECT_TRUE(p[settings.projected]->isChecked() && g[settings.geographic]->isChecked())
                    << "opens on the current choice";
                p[projected]->click();
                g[geographic]->click();
                (ok ? dialog.OKBtn : dialog.CancelBtn)->click();
                EXPECT_EQ(dialog.result(), ok ? QDialog::Accepted : QDialog::Rejected);
                EXPECT_EQ(settings.projected, ok ? projected : before.projected) << ok;
                EXPECT_EQ(settings.geographic, ok ? geographic : before.geographic) << ok;
            }
        }
    }
}

// The whole program on the demo medium, shown as main() shows it.
TEST(CoordDisplay, StatusBarOnTheDemoMediumAndTheMenuDialog) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("coord-display-test-") + QByteArray::number(getpid()));
    Platform::ScriptedDialogs dialogs;
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    TAppInitModule init(options);
    struct Cleanup {
        ~Cleanup() { delete MainMapModule::instance(); }
    } cleanup;
    ASSERT_TRUE(init.initApp());
    TMainWindow* mainWindow = init.basis()->mainWindow();
    mainWindow->resize(1100, 800);
    mainWindow->show();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    module->DefCoordDynamic = false;
    module->Sequence().SelectMap(3); // the regional map at zoom 1
    module->SetZoom(1.0, std::nullopt);
    module->SetCentre(Coord{1, 3, 5490000, 3391000}, true);
    QWidget* client = module->WindowControl();
    ASSERT_NE(client, nullptr);
    for (int i = 0; i < 200 && !(client->isVisible() && client->width() > 400); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    ASSERT_GT(client->width(), 400);
    auto moveTo = [&](int x, int y) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, y), client->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(client, &event);
        return mainWindow->sbStatusBar()->currentMessage();
    };

    // Gauß-Krüger and DHDN at start: the position under the mouse.
    const int x = client->width() / 2 + 37, y = client->height() / 2 - 21;
    const Coord pixel{0xC001, 0, double(x), double(y)};
    Coord p{1};
    ASSERT_TRUE(module->Transform(pixel, p));
    const QString text = moveTo(x, y);
    EXPECT_TRUE(text.startsWith(
        QString::asprintf("DHDN Gauß-Krüger Rechts:%.2f Hoch:%.2f    Geographisch DHDN:49° ", p.y, p.x)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\" N 7° ")) && text.endsWith(QStringLiteral("\" O")))
        << text.toStdString();

    // The menu entry opens the modal dialog; the choice shows at the next move.
    CoordSelectDlgAction* action = nullptr;
    for (TModularAction* a : mainWindow->registeredActions())
        if (auto* found = qobject_cast<CoordSelectDlgAction*>(a))
            action = found;
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->menuPath(), "&Anzeige|(CAT_COORD)|&Koordinaten");
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TCoordSelectDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->rbGK->isChecked() && dialog->rbDHDN->isChecked());
        dialog->rbVerebnetKein->click();
        dialog->rbGeoKein->click();
        answered = true;
        dialog->OKBtn->click();
    });
    action->trigger();
    EXPECT_TRUE(answered);
    EXPECT_EQ(moveTo(101, 100), QString()) << "both \"keine\": an empty status bar";
}
