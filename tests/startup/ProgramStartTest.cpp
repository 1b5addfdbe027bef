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

TEST_F(ProgramStart, BadCdNumberEndsSilently) {
    QTemporaryDir medium;
    writeFile(medium.path() + "/KARTEN/CD.TXT", "6\n3500000\n5500000\n");
    writeFile(medium.path() + "/KARTEN/AREA1330.TLM", "");
    QProcess viewer;
    start(viewer, medium.path());
    ASSERT_TRUE(viewer.waitForFinished(20000)) << "the viewer must end by itself";
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
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
