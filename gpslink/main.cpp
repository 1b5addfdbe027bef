// The GPS link program: owns the receiver's port and serves positions to the
// clients. One instance at a time; a second one exits at once.
#include "LinkDialogs.h"
#include "LinkPaths.h"
#include "LinkSocket.h"
#include "NmeaWindow.h"
#include "ProfileFile.h"
#include "QtGerman.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
}

// True when another instance runs (or is starting) in this runtime
// directory. The lock is held for the life of the process.
bool anotherInstance(int& lockFd) {
    lockFd = open(LinkPaths::instanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0)
        return false;
    if (flock(lockFd, LOCK_EX | LOCK_NB) != 0)
        return true;
    const int probe = LinkSocket::connectServer(LinkPaths::socketPath());
    if (probe >= 0) {
        close(probe);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    bool show = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--show")
            show = true;
    }
    if (LinkPaths::runtimeDir().empty()) {
        std::fprintf(stderr, "gpslink: kein sicheres Laufzeitverzeichnis\n");
        return 255;
    }
    int lockFd = -1;
    if (anotherInstance(lockFd))
        return 0;

    QApplication app(argc, argv);
    QtGerman::install(app);
    app.setQuitOnLastWindowClosed(false);
    ProfileFile::write(LinkPaths::tolmIniPath(), "NMEA", "Application",
                       QCoreApplication::applicationFilePath().toStdString());

    auto dialogs = LinkDialogs::forEnvironment();
    auto* window = new NmeaWindow(*dialogs);
    QString error;
    if (!window->initialise(LinkPaths::socketPath(), &error)) {
        std::fprintf(stderr, "gpslink: %s\n", error.toLocal8Bit().constData());
        dialogs->message(nullptr, QStringLiteral("Fehler!"), error, LinkDialogs::Icon::Error);
        delete window;
        return 255;
    }
    QObject::connect(window, &NmeaWindow::finished, &app, &QCoreApplication::quit);

    // A terminating signal ends the program like closing its window, without
    // the question: the settings are written and the socket is removed.
    if (pipe2(signalPipe, O_CLOEXEC) == 0) {
        std::signal(SIGTERM, onTerminate);
        std::signal(SIGINT, onTerminate);
        std::signal(SIGHUP, onTerminate);
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    }
    std::signal(SIGPIPE, SIG_IGN);

    if (show)
        window->show();
    const int code = app.exec();
    delete window;
    close(lockFd);
    return code;
}
