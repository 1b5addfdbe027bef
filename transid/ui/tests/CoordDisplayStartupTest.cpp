// The coordinate display in the whole program, started on the demo medium as
// main() starts it: the status bar while the mouse moves over the map, the
// menu entry and the dialog behind it.
#include "AppInitModule.h"
#include "CoordCode.h"
#include "CoordSelectDlgAction.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "ShowCoord.h"
#include "TCoordSelectDialog.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

bool processUntil(const std::function<bool()>& condition, int rounds = 200) {
    for (int i = 0; i < rounds && !condition(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return condition();
}

class CoordDisplayOnDemoMedium : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("coord-display-test-") + QByteArray::number(getpid()));
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        mainWindow = init->basis()->mainWindow();
        mainWindow->resize(1100, 800);
        mainWindow->show();
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        module->DefCoordDynamic = false;
        // The regional map at zoom 1, centred on a known Gauss-Krüger point.
        module->Sequence().SelectMap(3);
        module->SetZoom(1.0, std::nullopt);
        Coord centre{};
        centre.type = 1;
        centre.zone = 3;
        centre.x = 5490000;
        centre.y = 3391000;
        module->SetCentre(centre, true);
        client = module->WindowControl();
        ASSERT_NE(client, nullptr);
        ASSERT_TRUE(processUntil([this] { return client->isVisible() && client->width() > 400; }));
    }
    void TearDown() override {
        delete MainMapModule::instance();
        init.reset();
    }
    // Moves the mouse over the map and answers the status bar's text.
    QString moveTo(int x, int y) {
        const QPointF local(x, y);
        QMouseEvent event(QEvent::MouseMove, local, client->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(client, &event);
        return mainWindow->sbStatusBar()->currentMessage();
    }
    // The Gauss-Krüger position under a client point.
    Coord positionAt(int x, int y) {
        Coord point{};
        point.type = 0xC001;
        point.x = x;
        point.y = y;
        Coord out{};
        out.type = 1;
        EXPECT_TRUE(module->Transform(point, out));
        return out;
    }

    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TMainWindow* mainWindow = nullptr;
    MainMapModule* module = nullptr;
    QWidget* client = nullptr;
};

} // namespace

TEST_F(CoordDisplayOnDemoMedium, StatusBarFollowsTheMouseInEveryChoice) {
    Modul::ShowCoord* show = Modul::ShowCoord::instance();
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->settings().projected, 1) << "Gauß-Krüger at start";
    EXPECT_EQ(show->settings().geographic, 1) << "DHDN at start";

    const int x = client->width() / 2 + 37, y = client->height() / 2 - 21;
    const Coord p = positionAt(x, y);
    const QString text = moveTo(x, y);
    EXPECT_EQ(text, Modul::ShowCoord::statusText(p, show->settings()));
    EXPECT_TRUE(text.startsWith(
        QString::asprintf("DHDN Gauß-Krüger Rechts:%.2f Hoch:%.2f    Geographisch DHDN:49° ", p.y, p.x)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\" N 7° "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\" O"))) << text.toStdString();

    // Every choice shows at the next movement.
    for (int projected = 0; projected <= 3; ++projected) {
        for (int geographic = 0; geographic <= 3; ++geographic) {
            show->settings().projected = projected;
            show->settings().geographic = geographic;
            const QString shown = moveTo(x + projected, y + geographic);
            EXPECT_EQ(shown, Modul::ShowCoord::statusText(positionAt(x + projected, y + geographic), show->settings()));
            if (projected == 0 && geographic == 0)
                EXPECT_TRUE(shown.isEmpty());
            else if (projected == 0)
                EXPECT_TRUE(shown.startsWith(QStringLiteral("Geographisch "))) << shown.toStdString();
            else
                EXPECT_FALSE(shown.isEmpty());
        }
    }
}

TEST_F(CoordDisplayOnDemoMedium, MenuEntryOpensTheDialog) {
    CoordSelectDlgAction* action = nullptr;
    for (TModularAction* a : mainWindow->registeredActions())
        if (auto* found = qobject_cast<CoordSelectDlgAction*>(a))
            action = found;
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->menuPath(), "&Anzeige|(CAT_COORD)|&Koordinaten");
    EXPECT_EQ(action->text(), "&Koordinaten");
    EXPECT_TRUE(action->toolbarBitmap().isNull()) << "menu only";

    // The dialog is modal: answer it from the event loop, choosing nothing.
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TCoordSelectDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(dialog->rbGK->isChecked());
        EXPECT_TRUE(dialog->rbDHDN->isChecked());
        dialog->rbVerebnetKein->click();
        dialog->rbGeoKein->click();
        answered = true;
        dialog->OKBtn->click();
    });
    action->trigger();
    EXPECT_TRUE(answered);
    EXPECT_EQ(Modul::ShowCoord::instance()->settings().projected, 0);
    EXPECT_EQ(Modul::ShowCoord::instance()->settings().geographic, 0);
    EXPECT_EQ(moveTo(100, 100), QString()) << "both \"keine\": an empty status bar";
}
