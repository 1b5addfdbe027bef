#include "OverlayTestSupport.h"

#include "ModulBasis.h"
#include "OverlayFiles.h"
#include "ScriptedDialogs.h"
#include "UserDrawFileTypes.h"
#include "XML_Error.h"
#include "ZeichnenAuswahlFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace OverlayTest;
using Platform::MsgResult;
namespace FileTypes = UserDraw::FileTypes;

namespace {

const QString GpxQuestionStart = QStringLiteral("Das GPX-Format enthält nicht alle\nInformationen");
const QString SaveFailed = QStringLiteral("Datei konnte nicht gespeichert werden");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class FileOperations : public ::testing::Test {
protected:
    void SetUp() override {
        FileTypes::clear();
        FileTypes::registerStandardFormats();
        DefaultAppearances::reset();
        StdDrawStrategies::bindDefaultAppearances();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        FileTypes::clear();
        UserDraw::resetFrameLink();
        DefaultAppearances::reset();
        StdDrawStrategies::bindDefaultAppearances();
    }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Two elements and a folder, as if drawn: the change count is 3.
    void draw() {
        QTreeWidgetItem* folder = addFolder(frame.root(), QStringLiteral("Ordner"));
        addElement(folder, appearanceOf(StdDrawSymbolStrategy::instance()), {point(3, 7.5, 48.5)},
                   QStringLiteral("Punkt"));
        addElement(frame.root(), appearanceOf(StdDrawLineAreaStrategy::instance()),
                   {point(3, 7.5, 48.5), point(3, 7.6, 48.6)}, QStringLiteral("Linie"));
        frame.setChangeCount(3);
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : dialogs.messages)
            texts << m.text;
        return texts;
    }

    QStringList leftovers() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    Platform::ScriptedDialogs dialogs;
    TZeichnenAuswahlFrame frame;
    FixedColours colours;
};

} // namespace

TEST_F(FileOperations, RegistryOrderFiltersAndExtensions) {
    ASSERT_EQ(FileTypes::loaders().size(), 2u);
    FileTypes::registerStandardFormats();
    EXPECT_EQ(FileTypes::savers().size(), 2u) << "registering twice adds nothing";

    EXPECT_EQ(FileTypes::saverFor(QStringLiteral("/a/b/Tour.GPX")), FileTypes::savers()[0].get());
    EXPECT_EQ(FileTypes::saverFor(QStringLiteral("Tour.Qvo")), FileTypes::savers()[1].get());
    EXPECT_EQ(FileTypes::loaderFor(QStringLiteral("x.tar.gpx")), FileTypes::loaders()[0].get());
    for (const char* name : {"ohne", "xqvo", "a.qvo/ohne", "a.qvo.bak", "a.", "", "a.gpxx"}) {
        EXPECT_EQ(FileTypes::saverFor(QString::fromLatin1(name)), nullptr) << name;
        EXPECT_EQ(FileTypes::loaderFor(QString::fromLatin1(name)), nullptr) << name;
    }
}

TEST_F(FileOperations, SaveDialogRepeatsUntilAKnownExtensionIsAgreedTo) {
    draw();
    dialogs.saveAnswers = {path("ohne"), path("a.GPX"), path("a.GPX")};
    dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
    EXPECT_TRUE(UserDraw::saveOverlay(frame, nullptr));
    EXPECT_EQ(dialogs.fileRequests.size(), 3) << "no extension and a refused GPX question open the dialog again";
    EXPECT_TRUE(dialogs.fileRequests[0].defaultSuffix.isEmpty()) << "no extension is added behind the user's back";
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(GpxQuestionStart));
    EXPECT_FALSE(QFileInfo::exists(path("ohne")));
    EXPECT_TRUE(readAll(path("a.GPX")).contains("<trk><name>Linie</name>"));
    EXPECT_EQ(frame.changeCount(), 0);
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("a.GPX")}) << "no temporary file stays behind";

    frame.setChangeCount(1);
    dialogs.saveAnswers = {};
    EXPECT_FALSE(UserDraw::saveOverlay(frame, nullptr)) << "cancel";
    EXPECT_EQ(frame.changeCount(), 1);
}

TEST_F(FileOperations, SavedFileLoadsBackAndLoadFileReportsFailures) {
    draw();
    colours.text = QStringLiteral("ColorA=123456");
    dialogs.saveAnswers = {path("z.qvo")};
    ASSERT_TRUE(UserDraw::saveOverlay(frame, nullptr));
    const QByteArray saved = readAll(path("z.qvo"));
    EXPECT_TRUE(saved.startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<Quenvo Type=\"Overlay\""));

    frame.setChangeCount(5);
    QSignalSpy repaint(&frame, &TZeichnenAuswahlFrame::mapChanged);
    ASSERT_TRUE(UserDraw::loadFile(frame, path("z.qvo"), &colours));
    EXPECT_EQ(frame.changeCount(), 0);
    EXPECT_GE(repaint.count(), 1);
    ASSERT_EQ(frame.root()->childCount(), 2);
    EXPECT_EQ(frame.root()->child(0)->child(0)->text(0), QStringLiteral("Punkt"));

    // Failures leave an empty tree: it is emptied before loading. No drawing
    // at all (no drawing root) is no success; an empty drawing is one.
    ASSERT_TRUE(writeAll(path("halb.qvo"), saved.left(saved.indexOf("<Folder")) + "<Folder Name=\"x\">"));
    const struct {
        const char* name;
        const char* text;
        bool loads;
    } files[] = {{"fehlt.qvo", nullptr, false},
                 {"z.txt", "", false},
                 {"halb.qvo", nullptr, false},
                 {"text.qvo", "kein XML", false},
                 {"fremd.qvo", "<?xml version=\"1.0\"?><Quenvo Type=\"Route\" Version=\"1.0\"/>", false},
                 {"leer.gpx", "", false},
                 {"leer.qvo", "<?xml version=\"1.0\"?><Quenvo Type=\"Overlay\" Version=\"1.0\"/>", true}};
    for (const auto& f : files) {
        ASSERT_TRUE(UserDraw::loadFile(frame, path("z.qvo"), &colours));
        if (f.text) {
            ASSERT_TRUE(writeAll(path(f.name), f.text));
        }
        EXPECT_EQ(UserDraw::loadFile(frame, path(f.name), &colours), f.loads) << f.name;
        EXPECT_EQ(frame.root()->childCount(), 0) << f.name;
    }

    ASSERT_TRUE(writeAll(path("kaputt.gpx"), "<?xml version=\"1.0\"?><gpx><wpt lat=\"1\" lon=\"1\"><!-- x --></wpt>"));
    EXPECT_THROW(UserDraw::loadFile(frame, path("kaputt.gpx"), &colours), XML_Error)
        << "syntax errors reach the general error handler";
}

TEST_F(FileOperations, LoadCommandAsksBeforeReplacingAndReportsFailure) {
    draw();
    dialogs.messageAnswers = {MsgResult::No};
    UserDraw::loadOverlay(frame, nullptr);
    EXPECT_EQ(dialogs.fileRequests.size(), 0) << "No keeps the drawing";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(frame.root()->childCount(), 2);

    ASSERT_TRUE(writeAll(path("falsch.qvo"), "<?xml version=\"1.0\"?><Quenvo Type=\"Overlay\"><Folder>"));
    dialogs.messageAnswers = {MsgResult::Yes, MsgResult::Ok};
    dialogs.openAnswers = {{path("falsch.qvo")}};
    UserDraw::loadOverlay(frame, nullptr);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[2].text, QStringLiteral("Datei konnte nicht geladen werden"));

    // An empty tree is replaced without asking.
    ASSERT_TRUE(writeAll(path("a.gpx"), "<gpx><wpt lat=\"48\" lon=\"7\"><name>W</name></wpt></gpx>"));
    dialogs.openAnswers = {{path("a.gpx")}};
    UserDraw::loadOverlay(frame, nullptr);
    EXPECT_EQ(dialogs.messages.size(), 3);
    ASSERT_EQ(frame.root()->childCount(), 1);
    EXPECT_EQ(frame.root()->child(0)->text(0), QStringLiteral("W"));
}

TEST_F(FileOperations, CloseQueryAnswers) {
    EXPECT_EQ(UserDraw::closeQuery(&frame, nullptr), 0);
    EXPECT_EQ(UserDraw::closeQuery(nullptr, nullptr), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "nothing to ask without changes";
    // Cancel and No are answered in the start-up test through the window.
    draw();
    dialogs.messageAnswers = {MsgResult::Yes};
    EXPECT_EQ(UserDraw::closeQuery(&frame, nullptr), 7) << "Yes, then the save dialog cancelled";
    dialogs.messageAnswers = {MsgResult::Yes};
    dialogs.saveAnswers = {path("ende.qvo")};
    EXPECT_EQ(UserDraw::closeQuery(&frame, nullptr), 6);
    EXPECT_TRUE(QFileInfo::exists(path("ende.qvo")));
    EXPECT_EQ(UserDraw::closeQuery(&frame, nullptr), 0) << "saved: nothing left to ask";
}

// A save that fails half-way (here: the file may not grow beyond 300 bytes,
// as on a full disk) leaves the previous file as it was, removes its own
// partial file and says so.
TEST_F(FileOperations, FailedSaveKeepsThePreviousFile) {
    draw();
    for (int i = 0; i < 20; ++i)
        addElement(frame.root(), appearanceOf(StdDrawTextStrategy::instance()), {point(3, 7.5, 48.5)},
                   QStringLiteral("Text %1").arg(i));
    const QString target = path("alt.qvo");
    ASSERT_TRUE(writeAll(target, "ALTER INHALT"));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);

    struct rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 300;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = UserDraw::saveToFile(frame, target, nullptr);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved) << "a file cut short is no successful save";
    EXPECT_EQ(readAll(target), QByteArray("ALTER INHALT"));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("alt.qvo")});
    EXPECT_EQ(frame.changeCount(), 3) << "the changes are still unsaved";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(SaveFailed));

    // The same save with room enough replaces the file and keeps its mode.
    ASSERT_TRUE(UserDraw::saveToFile(frame, target, nullptr));
    EXPECT_TRUE(readAll(target).contains("<Text Name=\"Text 19\">"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(frame.changeCount(), 0);

    // Through a link the linked file gets the content; the link stays a link.
    const QString link = path("verweis.gpx");
    ASSERT_TRUE(QFile::link(path("ziel.gpx"), link));
    ASSERT_TRUE(writeAll(path("ziel.gpx"), "alt"));
    ASSERT_TRUE(UserDraw::saveToFile(frame, link, nullptr));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readAll(path("ziel.gpx")).contains("<gpx"));
}

TEST_F(FileOperations, SaveToAFullDeviceOrAnUnwritablePlaceIsReported) {
    draw();
    if (QFileInfo(QStringLiteral("/dev/full")).exists()) {
        EXPECT_FALSE(UserDraw::saveToFile(frame, QStringLiteral("/dev/full"), nullptr));
        struct stat st {};
        ASSERT_EQ(::stat("/dev/full", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device is written to, never replaced";
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(SaveFailed));
    }
    // A folder below a plain file can never be made, whoever runs the test.
    ASSERT_TRUE(writeAll(path("datei"), "x"));
    const int before = int(dialogs.messages.size());
    EXPECT_FALSE(UserDraw::saveToFile(frame, path("datei/unter.qvo"), nullptr));
    EXPECT_EQ(dialogs.messages.size(), before + 1);
    EXPECT_EQ(frame.changeCount(), 3);
    if (::geteuid() != 0) {
        QDir(dir.path()).mkdir(QStringLiteral("nurlesen"));
        ASSERT_TRUE(writeAll(path("nurlesen/a.qvo"), "ALT"));
        ::chmod(QFile::encodeName(path("nurlesen")).constData(), 0555);
        EXPECT_FALSE(UserDraw::saveToFile(frame, path("nurlesen/a.qvo"), nullptr));
        EXPECT_EQ(readAll(path("nurlesen/a.qvo")), QByteArray("ALT"));
        ::chmod(QFile::encodeName(path("nurlesen")).constData(), 0755);
    } else {
        std::printf("[ INFO     ] running as root: the read-only folder case is covered by the size limit above\n");
    }
}

TEST_F(FileOperations, AutoloadTakesAutoloadQvoThenTheRememberedFileSilently) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settings.path());
    Modul::Basis basis;
    basis.setAppName(QStringLiteral("Autoload Test"));
    basis.setBasePath(dir.path());
    QDir(dir.path()).mkdir(QStringLiteral("DATEN"));

    EXPECT_FALSE(UserDraw::autoload(frame)) << "nothing there";
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "silently";

    ASSERT_TRUE(writeAll(path("gemerkt.gpx"), "<gpx><wpt lat=\"48\" lon=\"7\"><name>gemerkt</name></wpt></gpx>"));
    ASSERT_TRUE(basis.writeSetting(QStringLiteral("LastOverlayPathName"), path("gemerkt.gpx")));
    UserDraw::attachFrame(&frame);
    EXPECT_EQ(frame.root()->childCount(), 0) << "no autoload before the module has started";
    UserDraw::markStarted();
    ASSERT_EQ(frame.root()->childCount(), 1) << "the remembered file when there is no autoload.qvo";
    EXPECT_EQ(frame.root()->child(0)->text(0), QStringLiteral("gemerkt"));
    UserDraw::attachFrame(&frame);
    EXPECT_EQ(frame.root()->childCount(), 1) << "once only";

    ASSERT_TRUE(writeAll(path("DATEN/autoload.qvo"),
                         "<?xml version=\"1.0\"?><Quenvo Type=\"Overlay\"><Folder Name=\"auto\"/></Quenvo>"));
    ASSERT_TRUE(UserDraw::autoload(frame));
    ASSERT_EQ(frame.root()->childCount(), 1);
    EXPECT_EQ(frame.root()->child(0)->text(0), QStringLiteral("auto")) << "autoload.qvo comes first";

    ASSERT_TRUE(writeAll(path("DATEN/autoload.qvo"), "<?xml version=\"1.0\"?><Quenvo Type=\"Overlay\"><!-- -->"));
    EXPECT_TRUE(UserDraw::autoload(frame)) << "a damaged autoload.qvo falls back to the remembered file";
    EXPECT_EQ(frame.root()->child(0)->text(0), QStringLiteral("gemerkt"));
    ASSERT_EQ(dialogs.messages.size(), 1) << "and is reported";
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("autoload.qvo")));
}
