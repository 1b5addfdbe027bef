#include "AppEventListener.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "Paths.h"
#include "ScriptedDialogs.h"
#include "SingleInstance.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class Listener : public AppEventListener {
public:
    Listener(int answer, QStringList* log, QString name) : m_answer(answer), m_log(log), m_name(std::move(name)) {}
    int closeQuery() override {
        m_log->append(m_name);
        return m_answer;
    }

private:
    int m_answer;
    QStringList* m_log;
    QString m_name;
};

class BasisTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test process answers under its own name only.
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("basis-test-") + QByteArray::number(getpid()));
    }
    Platform::ScriptedDialogs dialogs;
};

} // namespace

TEST_F(BasisTest, BasePathRules) {
    EXPECT_EQ(Modul::Basis::twoLevelsAbove("/opt/vistrel/bin/vistrel"), "/opt/vistrel/");
    EXPECT_EQ(Modul::Basis::twoLevelsAbove("/PROG/vistrel"), "/") << "program folder right below the root";
    EXPECT_EQ(Modul::Basis::twoLevelsAbove("vistrel"), "");

    Modul::Basis basis;
    EXPECT_EQ(basis.basePath(), Modul::Basis::twoLevelsAbove(QCoreApplication::applicationFilePath()))
        << "the constructor sets \"..\"";
    basis.setBasePath("/media/cd");
    EXPECT_EQ(basis.basePath(), "/media/cd/");
    basis.setBasePath("/media/cd/");
    EXPECT_EQ(basis.basePath(), "/media/cd/");
    basis.setBasePath("..");
    EXPECT_EQ(basis.basePath(), Modul::Basis::twoLevelsAbove(QCoreApplication::applicationFilePath()));
}

TEST_F(BasisTest, DefaultsAndPaths) {
    Modul::Basis basis;
    EXPECT_TRUE(basis.isSingleInstanceApp());
    EXPECT_FALSE(basis.terminated());
    EXPECT_TRUE(basis.appName().isEmpty());
    EXPECT_TRUE(basis.showCloseDialog());
    EXPECT_FALSE(basis.useMenuBitmaps());
    EXPECT_EQ(Modul::Basis::instance(), &basis);
    EXPECT_EQ(basis.property("BasePath").toString(), basis.basePath()) << "published under its own name";
    basis.setSingleInstanceApp(false);
    basis.setAppTitle("Titel");
    EXPECT_EQ(basis.appTitle(), "Titel");
    EXPECT_EQ(basis.mainWindow()->windowTitle(), "Titel");
    EXPECT_EQ(Modul::applicationTitle(), "Titel") << "the application's title follows";

    basis.setBasePath("/cd");
    Singletons::Paths& paths = Singletons::Paths::instance();
    paths.clearSymbolDirectoryOverride();
    EXPECT_EQ(paths.dataDirectory(), "/cd/DATEN/");
    EXPECT_EQ(paths.mapDirectory(), "/cd/KARTEN/");
    EXPECT_EQ(paths.imageDirectory(), "/cd/BILDER/");
    EXPECT_EQ(paths.symbolDirectory(), "/cd/SYMBOLE/");
    paths.setSymbolDirectoryOverride(paths.programDirectory() + "Symbole/");
    EXPECT_EQ(paths.symbolDirectory(), QCoreApplication::applicationDirPath() + "/Symbole/");
    paths.clearSymbolDirectoryOverride();
}

TEST_F(BasisTest, CloseListenerAnswers) {
    struct Case {
        const char* legend;
        std::vector<int> answers;
        int expected;
        int asked; // listeners reached
    };
    const Case cases[] = {
        {"nobody", {}, 0, 0},
        {"all nothing to say", {0, 0}, 0, 2},
        {"one settled", {0, 6, 0}, 6, 3},
        {"veto stops the pass", {6, 7, 0}, 7, 2},
        {"veto first", {7, 6}, 7, 1},
        {"other numbers are ignored", {1, 2, 5}, 0, 3},
    };
    for (const Case& c : cases) {
        Modul::Basis basis;
        QStringList log;
        std::vector<std::unique_ptr<Listener>> listeners;
        for (std::size_t i = 0; i < c.answers.size(); ++i)
            listeners.push_back(std::make_unique<Listener>(c.answers[i], &log, QString::number(i)));
        EXPECT_EQ(basis.askCloseListeners(), c.expected) << c.legend;
        EXPECT_EQ(log.size(), c.asked) << c.legend;
        for (int i = 0; i < log.size(); ++i)
            EXPECT_EQ(log[i], QString::number(i)) << c.legend << ": registration order";
    }
}

TEST_F(BasisTest, CloseQueryAsksOnlyWhenNobodyAnswered) {
    Modul::Basis basis;
    basis.setAppName("Produkt");
    QStringList log;

    dialogs.messageAnswers = {Platform::MsgResult::No};
    EXPECT_FALSE(basis.closeQuery()) << "No keeps the program running";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Wollen Sie das Programm wirklich beenden?"));
    EXPECT_EQ(dialogs.messages[0].caption, QString("Produkt"));
    EXPECT_EQ(dialogs.messages[0].buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Question);

    dialogs.messageAnswers = {Platform::MsgResult::Yes};
    EXPECT_TRUE(basis.closeQuery());
    EXPECT_EQ(dialogs.messages.size(), 2);

    basis.setShowCloseDialog(false);
    EXPECT_TRUE(basis.closeQuery()) << "no question without the close dialog";
    EXPECT_EQ(dialogs.messages.size(), 2);
    basis.setShowCloseDialog(true);

    {
        Listener settled(6, &log, "settled");
        EXPECT_TRUE(basis.closeQuery());
        EXPECT_EQ(dialogs.messages.size(), 2) << "a settled listener spares the question";
    }
    Listener veto(7, &log, "veto");
    EXPECT_FALSE(basis.closeQuery());
    EXPECT_EQ(dialogs.messages.size(), 2);

    // The window's own close goes through the same query.
    basis.mainWindow()->show();
    EXPECT_FALSE(basis.mainWindow()->close());
    EXPECT_TRUE(basis.mainWindow()->isVisible());
}

TEST_F(BasisTest, MainWindowClosesOnYes) {
    Modul::Basis basis;
    basis.mainWindow()->show();
    dialogs.messageAnswers = {Platform::MsgResult::Yes};
    EXPECT_TRUE(basis.mainWindow()->close());
    EXPECT_FALSE(basis.mainWindow()->isVisible());
}

TEST_F(BasisTest, SettingsReadAndWrite) {
    QTemporaryDir user, system;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, user.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system.path());
    Modul::Basis basis;
    basis.setAppName("Settings Test");

    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), "") << "missing value reads empty";
    QSettings(QSettings::SystemScope, "Dremal", "Settings Test").setValue("LastOverlayPathName", "/machine");
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), "/machine") << "machine-wide value when the user has none";

    EXPECT_TRUE(basis.writeSetting("LastOverlayPathName", "/home/u/overlays"));
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), "/home/u/overlays");
    EXPECT_TRUE(basis.writeSetting("LastOverlayPathName", ""));
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), "/machine") << "removed from the user's store";
    EXPECT_TRUE(basis.writeSetting("NeverWritten", "")) << "removing a missing value still succeeds";
}

TEST_F(BasisTest, SettingsWriteFailsWhenTheStoreCannotBeWritten) {
    // The store's folder lies below a plain file, so it can never be made,
    // whatever the rights of the user running the test.
    QTemporaryDir dir;
    const QString blocker = dir.path() + "/not-a-folder";
    ASSERT_TRUE(TestSupport::writeFile(blocker, "x"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, blocker);
    Modul::Basis basis;
    basis.setAppName("Blocked");
    EXPECT_FALSE(basis.writeSetting("LastOverlayPathName", "/x"));
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), "") << "a store that cannot be read reads empty";
    EXPECT_TRUE(basis.writeSetting("LastOverlayPathName", ""));
}

TEST_F(BasisTest, SecondInstanceBringsTheFirstToTheFront) {
    Modul::Basis first;
    first.setAppTitle("Einzeltest");
    EXPECT_FALSE(first.terminated());
    EXPECT_EQ(first.appTitle(), "Einzeltest");
    ASSERT_TRUE(first.singleInstance() && first.singleInstance()->isListening());
    int activations = 0;
    QObject::connect(&first, &Modul::Basis::activationRequested, [&] { ++activations; });

    {
        Modul::Basis other;
        other.setAppTitle("Anderer Titel");
        EXPECT_FALSE(other.terminated()) << "a different title is another program";
    }
    Modul::Basis second;
    second.setAppTitle("Einzeltest");
    EXPECT_TRUE(second.terminated());
    EXPECT_EQ(second.appTitle(), "Einzeltest") << "the caption is set in every case";
    EXPECT_TRUE(TestSupport::processUntil([&] { return activations == 1; }));

    Modul::Basis third;
    third.setSingleInstanceApp(false);
    third.setAppTitle("Einzeltest");
    EXPECT_FALSE(third.terminated()) << "without the single-instance rule nobody is asked";
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);
}

TEST_F(BasisTest, StaleSocketIsTakenOver) {
    // A socket file left behind by a crashed viewer.
    const QString name = SingleInstance::serverName("Verwaist");
    const QString path = QDir::tempPath() + "/" + name;
    TestSupport::writeFile(path, "");
    Modul::Basis basis;
    basis.setAppTitle("Verwaist");
    EXPECT_FALSE(basis.terminated());
    EXPECT_TRUE(basis.singleInstance()->isListening());
}
