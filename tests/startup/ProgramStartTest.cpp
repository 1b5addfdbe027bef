// Starts the built viewer as a program on a data medium made by the test.
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override {
        program = QStringLiteral(VISTREL_PROGRAM);
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << "the viewer is built with its tests";
        key = QString("program-start-%1").arg(getpid());
        qputenv("VISTREL_INSTANCE_KEY", key.toUtf8());
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("VISTREL_INSTANCE_KEY", key);
        environment.insert("VISTREL_SYSCONFDIR", sysconf.path());
        environment.remove("VISTREL_DATA");
    }

    void start(QProcess& process, const QString& medium) {
        process.setProcessEnvironment(environment);
        process.setProgram(program);
        process.setArguments({"--data", medium});
        process.start();
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QString program;
    QString key;
    QTemporaryDir sysconf;
    QProcessEnvironment environment;
};

bool answering(const QString& title) {
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::serverName(title));
    return socket.waitForConnected(200);
}

} // namespace

// A medium whose start-up file is missing or wrong: the user is told which
// file and what is wrong, and the program ends with a failure code.
TEST_F(ProgramStart, BadStartupDataIsReportedAndFails) {
    struct Case {
        const char* name;
        const char* content; // nullptr: no CD.TXT at all
        const char* reason;
    } const cases[] = {
        {"missing", nullptr, "fehlt"},
        {"CD number 6", "6\n3500000\n5500000\n", "CD-Nummer 6 liegt nicht zwischen 1 und 5"},
        {"CD number 0", "0 3500000 5500000", "CD-Nummer 0 liegt nicht zwischen 1 und 5"},
        {"no easting", "1\nabc\n5500000\n", "Rechtswert"},
        {"two values", "1 3500000\n", "Hochwert"},
        {"empty", "", "CD-Nummer (erster Wert) fehlt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir medium;
        if (c.content)
            writeFile(medium.path() + "/KARTEN/CD.TXT", c.content);
        writeFile(medium.path() + "/KARTEN/AREA1330.TLM", "");
        const QString log = sysconf.path() + "/dialogs.log";
        QFile::remove(log);
        environment.insert("VISTREL_DIALOG_LOG", log);
        QProcess viewer;
        start(viewer, medium.path());
        ASSERT_TRUE(viewer.waitForFinished(20000)) << "the viewer must end by itself";
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(viewer.exitCode(), 0) << "a failure is not reported as success";
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "a message was shown";
        const QString shown = QString::fromUtf8(file.readAll());
        EXPECT_EQ(shown.count('\n'), 1) << "one message: " << shown.toStdString();
        EXPECT_TRUE(shown.contains("KARTEN/CD.TXT")) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromUtf8(c.reason))) << shown.toStdString();
    }
}

// --help and --version answer on standard output and end without starting
// the user interface: with a platform that does not exist, any attempt to
// open a window would fail.
TEST_F(ProgramStart, HelpAndVersionPrintAndEnd) {
    environment.insert("QT_QPA_PLATFORM", "no-such-platform");
    struct Case {
        const char* argument;
        const char* expected;
    } const cases[] = {{"--help", "Aufruf: vistrel [--data VERZEICHNIS]"},
                       {"-h", "--version"},
                       {"--version", "vistrel (32-Bit-Version) Version 1.32"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        QProcess viewer;
        viewer.setProcessEnvironment(environment);
        viewer.start(program, {c.argument});
        ASSERT_TRUE(viewer.waitForFinished(20000));
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(viewer.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(viewer.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QString::fromUtf8(c.expected))) << out.toStdString();
        EXPECT_TRUE(viewer.readAllStandardError().isEmpty());
    }
}

TEST_F(ProgramStart, SecondInstanceHandsOverAndEnds) {
    QTemporaryDir medium;
    writeFile(medium.path() + "/KARTEN/CD.TXT", "1 3500000 5500000\n");
    writeFile(medium.path() + "/KARTEN/area1330.tlm", "");
    QProcess first;
    start(first, medium.path());
    bool up = false;
    for (int i = 0; i < 400 && !up; ++i) {
        up = answering("vistrel (32-Bit-Version)");
        if (!up)
            QThread::msleep(25);
    }
    ASSERT_TRUE(up) << "the first viewer answers under its title";

    QProcess second;
    start(second, medium.path());
    EXPECT_TRUE(second.waitForFinished(20000)) << "the second viewer ends by itself";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first one keeps running";

    first.kill();
    first.waitForFinished(10000);
    // A killed viewer leaves its socket file behind.
    QLocalServer::removeServer(SingleInstance::serverName("vistrel (32-Bit-Version)"));
}

// Files named on the command line (as a file manager passes them): a map
// file is shown, a drawing is loaded, and every file that cannot be opened is
// named to the user.
TEST_F(ProgramStart, FilesOnTheCommandLine) {
    const QString medium = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    QTemporaryDir files;
    writeFile(files.path() + "/Tour.qvo", "kein XML");
    writeFile(files.path() + "/notiz.txt", "Notiz");
    writeFile(files.path() + "/kaputt.tlm", "TLM");
    const QString log = sysconf.path() + "/files.log";
    environment.insert("VISTREL_DIALOG_LOG", log);
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.start(program, {"--data", medium, files.path() + "/Tour.qvo", files.path() + "/fehlt.gpx",
                           files.path() + "/notiz.txt", medium + "/KARTEN/UEB_0250.TLM", files.path() + "/kaputt.tlm"});
    ASSERT_TRUE(viewer.waitForStarted(10000));
    QStringList shown;
    for (int i = 0; i < 600 && shown.size() < 4; ++i) {
        QThread::msleep(50);
        QFile file(log);
        if (file.open(QIODevice::ReadOnly))
            shown = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    viewer.kill();
    viewer.waitForFinished(10000);
    QLocalServer::removeServer(SingleInstance::serverName("vistrel (32-Bit-Version)"));
    // In the order given; the good map in between says nothing.
    ASSERT_EQ(shown.size(), 4) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown[0].contains("konnte nicht geladen werden")) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains("fehlt.gpx") && shown[1].contains("gibt es nicht")) << shown[1].toStdString();
    EXPECT_TRUE(shown[2].contains("notiz.txt") && shown[2].contains("Dateien dieser Art")) << shown[2].toStdString();
    EXPECT_TRUE(shown[3].contains("kaputt.tlm") && shown[3].contains("beschädigt")) << shown[3].toStdString();
}
