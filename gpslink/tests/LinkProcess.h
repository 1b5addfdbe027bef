#pragma once

// A real link program for a test: a private runtime and configuration
// directory, a pseudo-terminal pair whose slave is port COM1, and the
// program's process. Everything is torn down on destruction, also after a
// failed assertion: the process, the shared block and the directories.

#include "GpsProtocol.h"
#include "LinkSocket.h"
#include "LinkWire.h"
#include "ProfileFile.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class LinkProcess {
public:
    LinkProcess() {
        char name[] = "/tmp/gpslinktestXXXXXX";
        dir = mkdtemp(name);
        runDir = dir + "/run";
        etcDir = dir + "/etc";
        std::filesystem::create_directories(runDir);
        std::filesystem::create_directories(etcDir);
        std::filesystem::permissions(runDir, std::filesystem::perms::owner_all);
        dialogLog = dir + "/dialogs.log";
        setenv("XDG_RUNTIME_DIR", runDir.c_str(), 1);
        setenv("VISTREL_SYSCONFDIR", etcDir.c_str(), 1);
        setenv("GPSLINK_DIALOG_LOG", dialogLog.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        shm_unlink(GpsProtocol::SharedBlockName);
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = ptsname(master);
        ini("Ports", "COM1", slave);
    }

    ~LinkProcess() {
        stop();
        if (master >= 0)
            close(master);
        shm_unlink(GpsProtocol::SharedBlockName);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    static std::string binary(const char* name) {
        const char* bin = std::getenv("VISTREL_BIN_DIR");
#ifdef GPS_TEST_BIN_DIR
        if (!bin || !*bin)
            bin = GPS_TEST_BIN_DIR;
#endif
        return std::string(bin ? bin : ".") + "/" + name;
    }

    std::string iniPath() const {
        return etcDir + "/TOLM.INI";
    }
    void ini(const std::string& section, const std::string& key, const std::string& value) {
        ProfileFile::write(iniPath(), section, key, value);
    }
    std::string ini(const std::string& section, const std::string& key) const {
        return ProfileFile::read(iniPath(), section, key);
    }

    // Starts the program and waits until it answers on its socket.
    bool start(const std::vector<std::string>& args = {}) {
        pid = spawn(args);
        return pid > 0 && waitForServer();
    }

    pid_t spawn(const std::vector<std::string>& args = {}) const {
        const std::string program = binary("gpslink");
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (auto& a : all)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        return child;
    }

    bool waitForServer() const {
        for (int i = 0; i < 1000; ++i) {
            const int fd = LinkSocket::connectServer(runDir + "/NMEA");
            if (fd >= 0) {
                close(fd);
                return true;
            }
            int status;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Ends the program like a terminating signal does; its exit code, or -1.
    int stop() {
        if (pid <= 0)
            return -1;
        kill(pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        pid = -1;
        return -1;
    }

    // Waits for a child that exits by itself; its exit code or -1.
    static int waitExit(pid_t child, int timeoutMs = 10000) {
        int status = 0;
        for (int i = 0; i < timeoutMs / 10; ++i) {
            if (waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -2;
    }

    void send(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                break;
            done += std::size_t(n);
        }
    }

    std::string dialogs() const {
        return fileText(dialogLog);
    }

    static std::string fileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // A raw connection for requests the client library never sends.
    int rawConnection() const {
        return LinkSocket::connectServer(runDir + "/NMEA");
    }
    static bool rawRequest(int fd, const LinkWire::Request& request, std::uint32_t& result) {
        const auto bytes = LinkWire::encodeRequest(request);
        if (!LinkSocket::writeAll(fd, bytes.data(), bytes.size()))
            return false;
        for (;;) {
            std::uint8_t frame[LinkWire::ServerFrameSize];
            if (!LinkSocket::readExact(fd, frame, sizeof(frame), 5000))
                return false;
            const auto f = LinkWire::decodeServerFrame(frame);
            if (f.kind == LinkWire::KindReply) {
                result = f.a;
                return true;
            }
        }
    }

    std::string dir, runDir, etcDir, dialogLog, slave;
    int master = -1;
    pid_t pid = -1;
};
