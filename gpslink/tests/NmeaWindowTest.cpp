// The window of the link program in this process, with scripted dialogs.
#include "NmeaWindow.h"
#include "ClientSlots.h"
#include "LinkDialogs.h"
#include "LinkPaths.h"
#include "SettingsDialog.h"
#include "SharedBlock.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/mman.h>

namespace {

class FakeDialogs : public LinkDialogs {
public:
    void message(QWidget*, const QString& caption, const QString& text, Icon) override {
        log << caption + QLatin1Char('|') + text;
    }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        log << caption + QLatin1Char('|') + text;
        return yes;
    }
    QString saveFileName(QWidget*, const QString& caption, const QString&) override {
        log << caption;
        return file;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return file; }
    int exec(QDialog& dialog) override {
        log << dialog.windowTitle();
        return onExec ? onExec(dialog) : QDialog::Rejected;
    }

    QStringList log;
    bool yes = false;
    QString file;
    std::function<int(QDialog&)> onExec;
};

struct WindowFixture : ::testing::Test {
    void SetUp() override {
        char name[] = "/tmp/nmeawindowXXXXXX";
        dir = mkdtemp(name);
        std::filesystem::create_directories(dir + "/run");
        setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
        setenv("VISTREL_SYSCONFDIR", dir.c_str(), 1);
        shm_unlink(GpsProtocol::SharedBlockName);
        window = std::make_unique<NmeaWindow>(dialogs);
        QString error;
        ASSERT_TRUE(window->initialise(dir + "/run/NMEA", &error)) << error.toStdString();
    }
    void TearDown() override {
        window.reset();
        shm_unlink(GpsProtocol::SharedBlockName);
        std::filesystem::remove_all(dir);
    }
    std::string writeFile(const std::string& name, const std::string& text) {
        const std::string path = dir + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    std::string dir;
    FakeDialogs dialogs;
    std::unique_ptr<NmeaWindow> window;
};

} // namespace

TEST(NmeaWindowText, PositionFields) {
    EXPECT_EQ(NmeaWindow::formatLatitude(48, 7.038f), QStringLiteral("48° 7.04' N"));
    EXPECT_EQ(NmeaWindow::formatLongitude(-11, -31.0f), QStringLiteral("11° 31.00' W"));
    // Just south of the equator the minutes carry the sign.
    EXPECT_EQ(NmeaWindow::formatLatitude(0, -0.5f), QStringLiteral("0° 0.50' S"));
    EXPECT_EQ(NmeaWindow::formatLongitude(0, 0.25f), QStringLiteral("0° 0.25' E"));
    EXPECT_EQ(NmeaWindow::formatAltitude(545.44f), QStringLiteral("545.4 m"));
}

TEST_F(WindowFixture, MenuFollowsRecordingPlaybackAndSpeed) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("NMEA"));
    EXPECT_FALSE(window->action(202)->isEnabled());
    EXPECT_TRUE(window->action(111)->isChecked());

    dialogs.file = QString::fromStdString(dir + "/rec.nme");
    window->commandRecord();
    EXPECT_TRUE(window->recording());
    EXPECT_TRUE(window->action(102)->isChecked());
    EXPECT_FALSE(window->action(101)->isEnabled());
    EXPECT_FALSE(window->action(103)->isEnabled());
    EXPECT_EQ(dialogs.log.last(), QStringLiteral("NMEA-Aufzeichnung"));
    window->commandRecord();
    EXPECT_FALSE(window->recording());
    EXPECT_TRUE(window->action(101)->isEnabled());
    EXPECT_TRUE(window->action(103)->isEnabled());
    // Cancelling the dialog leaves recording off without a message.
    dialogs.file.clear();
    const int before = int(dialogs.log.size());
    window->commandRecord();
    EXPECT_FALSE(window->recording());
    EXPECT_EQ(int(dialogs.log.size()), before + 1);

    std::string track;
    for (int s = 10; s < 40; ++s)
        track += "$GPGGA,1000" + std::to_string(s) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\r\n";
    dialogs.file = QString::fromStdString(writeFile("track.nme", track));
    window->commandPlay();
    EXPECT_TRUE(window->playing());
    EXPECT_TRUE(window->action(103)->isChecked());
    EXPECT_FALSE(window->action(101)->isEnabled());
    EXPECT_FALSE(window->action(102)->isEnabled());
    EXPECT_EQ(window->latitudeText(), QStringLiteral("48° 7.04' N"));
    EXPECT_EQ(window->longitudeText(), QStringLiteral("11° 31.00' E"));
    EXPECT_EQ(window->altitudeText(), QStringLiteral("545.4 m"));
    window->commandSpeed(113);
    EXPECT_EQ(window->speedFactor(), 4);
    for (int c = 111; c <= 114; ++c)
        EXPECT_EQ(window->action(c)->isChecked(), c == 113) << c;
    window->commandPlay();
    EXPECT_FALSE(window->playing());
    EXPECT_TRUE(window->action(101)->isEnabled());
    EXPECT_EQ(window->speedFactor(), 4) << "the speed persists across playbacks";

    dialogs.file = QString::fromStdString(writeFile("empty.nme", "\r\n\r\n"));
    window->commandPlay();
    EXPECT_FALSE(window->playing());
    EXPECT_EQ(dialogs.log.last(), QStringLiteral("Fehler beim Abspielen|Datei enthält keine gültigen NMEA-Daten"));
}

TEST_F(WindowFixture, CloseAsksOnlyWhileLiveClientsAreAttached) {
    struct {
        int n = 0;
        int count() const { return n; }
    } finished;
    QObject::connect(window.get(), &NmeaWindow::finished, [&] { ++finished.n; });
    std::string error;
    auto block = SharedBlock::openExisting(&error);
    ASSERT_TRUE(block);
    // A count left behind by a client that was killed: no question.
    block->storeInt(block->data()->clientCount, 1);
    window->close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(dialogs.log.isEmpty());

    auto slot = ClientSlots::Slot::acquire(LinkPaths::clientsDir());
    ASSERT_TRUE(slot.valid());
    dialogs.yes = false;
    window->show();
    window->close();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(dialogs.log.first(), QStringLiteral("Beenden|Es sind noch GPS-Applikationen aktiv.\nSind Sie sicher?"));
    EXPECT_EQ(finished.count(), 1) << "\"no\" keeps the program running";
    dialogs.yes = true;
    window->close();
    EXPECT_EQ(finished.count(), 2);
}

TEST_F(WindowFixture, SettingsDialogRules) {
    SettingsDialog* seen = nullptr;
    dialogs.onExec = [&](QDialog& dialog) {
        auto* settings = qobject_cast<SettingsDialog*>(&dialog);
        seen = settings;
        if (!settings)
            return int(QDialog::Rejected);
        // Without a port: the usual receiver settings, port 0, all sentences.
        EXPECT_EQ(settings->portField()->text(), QStringLiteral("0"));
        EXPECT_EQ(settings->baudList()->currentText(), QStringLiteral("4800"));
        EXPECT_EQ(settings->bitsList()->currentText(), QStringLiteral("8"));
        EXPECT_EQ(settings->parityList()->currentText(), QStringLiteral("keine"));
        EXPECT_EQ(settings->stopBitsList()->currentText(), QStringLiteral("1"));
        EXPECT_EQ(settings->sentenceList()->currentText(), QStringLiteral("alle Daten"));
        EXPECT_EQ(settings->bitsList()->count(), 4);
        EXPECT_EQ(settings->baudList()->count(), 12);
        // Not a number: nothing happens, not even the filter.
        settings->portField()->setText(QStringLiteral("x1"));
        settings->sentenceList()->setCurrentIndex(1);
        EXPECT_FALSE(settings->onOk());
        EXPECT_EQ(window->port().filterFlags(), 3);
        // A number beyond the device table is refused by the port, but the
        // filter has been taken at once.
        settings->portField()->setText(QStringLiteral("12"));
        EXPECT_FALSE(settings->onOk());
        EXPECT_EQ(window->port().filterFlags(), 1);
        EXPECT_EQ(dialogs.log.last(),
                  QStringLiteral("Fehler!|Die Schnittstelle unterstuetzt diese Parametereinstellungen nicht!"));
        // Port 0 closes, which always works.
        settings->portField()->setText(QStringLiteral("0"));
        settings->sentenceList()->setCurrentIndex(2);
        EXPECT_TRUE(settings->onOk());
        EXPECT_EQ(window->port().filterFlags(), 2);
        return int(QDialog::Accepted);
    };
    window->commandSettings();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(dialogs.log.first(), QStringLiteral("NMEA-Einstellungen"));

    // Flags 0 show no sentence choice.
    window->port().setFilterFlags(0);
    SettingsDialog none(0, nullptr, 0, [](int, const PortSettings&) { return true; });
    EXPECT_EQ(none.sentenceList()->currentIndex(), -1);
    EXPECT_EQ(none.chosenFlags(), 0);

    dialogs.onExec = nullptr;
    window->commandAbout();
    EXPECT_EQ(dialogs.log.last(), QStringLiteral("Information"));
}
