// The client side of the GPS link: one connection per process, shared by all
// callers, with a receiving thread that separates replies from
// notifications.
#include "zozi32.h"

#include "ClientSlots.h"
#include "GpsProtocol.h"
#include "LinkPaths.h"
#include "LinkSocket.h"
#include "LinkWire.h"
#include "ProfileFile.h"
#include "SharedBlock.h"
#include "ThreadSlice.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace GpsProtocol;

namespace {

// How long a started link program may take until it answers.
constexpr auto StartTimeout = std::chrono::seconds(10);
// A request may open a message box on the server's screen; wait for the user.
constexpr auto ReplyTimeout = std::chrono::seconds(120);
// How often a client whose server went away looks for a new one.
constexpr auto ReconnectInterval = std::chrono::milliseconds(200);

// The link program that belongs to this library when the settings name none:
// the one installed with it (the library's directory to the program
// directory, fixed at build time), else the one beside it in a build tree.
std::string companionProgram() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&companionProgram), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::filesystem::path libraryDir = std::filesystem::path(info.dli_fname).parent_path();
    for (const auto& candidate : {libraryDir / ZOZI32_GPSLINK_FROM_LIBDIR, libraryDir / "gpslink"}) {
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.lexically_normal().string();
    }
    return {};
}

// Starts the link program from the "Application" key, detached from this
// process (its own session, no inherited descriptors). The link program
// writes that key at every start; before its first start, or when the program
// it names is gone, the library starts its own companion.
bool startServer() {
    std::string program = ProfileFile::read(LinkPaths::tolmIniPath(), "NMEA", "Application");
    if (program.empty() || access(program.c_str(), X_OK) != 0)
        program = companionProgram();
    if (program.empty())
        return false;
    std::vector<char> path(program.begin(), program.end());
    path.push_back(0);
    char* const argv[] = {path.data(), nullptr};
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Only async-signal-safe calls from here on: the caller may be threaded.
        setsid();
        if (fork() != 0)
            _exit(0);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
        }
        close_range(3, ~0u, 0);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

// A connection to the server, starting it when none answers.
int connectOrStart() {
    const std::string path = LinkPaths::socketPath();
    int fd = LinkSocket::connectServer(path);
    if (fd >= 0 || !startServer())
        return fd;
    const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fd = LinkSocket::connectServer(path);
        if (fd >= 0)
            return fd;
    }
    return -1;
}

// One request on a connection nobody else reads from.
std::optional<std::uint32_t> callDirect(int fd, const LinkWire::Request& request) {
    const auto bytes = LinkWire::encodeRequest(request);
    if (!LinkSocket::writeAll(fd, bytes.data(), bytes.size()))
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + ReplyTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::uint8_t frame[LinkWire::ServerFrameSize];
        if (!LinkSocket::readExact(fd, frame, sizeof(frame), int(std::chrono::milliseconds(ReplyTimeout).count())))
            return std::nullopt;
        const auto decoded = LinkWire::decodeServerFrame(frame);
        if (decoded.kind == LinkWire::KindReply)
            return decoded.a;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> nameBytes(const char* fileName) {
    if (!fileName || !*fileName)
        return {};
    std::error_code ec;
    std::string name = std::filesystem::absolute(fileName, ec).string();
    if (ec)
        name = fileName;
    std::vector<std::uint8_t> bytes(name.begin(), name.end());
    bytes.push_back(0);
    return bytes;
}

template <class T> std::vector<std::uint8_t> bytesOf(const T& value) {
    std::vector<std::uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

class Link {
public:
    static Link& instance() {
        // Never destroyed: its receiving thread may still run while the
        // process exits.
        static Link* link = new Link;
        return *link;
    }

    int install() {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (!connectLocked())
            return 0;
        ClientSlots::Slot slot = ClientSlots::Slot::acquire(LinkPaths::clientsDir());
        if (!slot.valid())
            return 0;
        m_slots.push_back(std::move(slot));
        ++m_installs;
        recountLocked();
        return 1;
    }

    int uninstall() {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        if (m_installs == 0)
            return 0;
        --m_installs;
        m_slots.pop_back();
        recountLocked();
        if (m_installs == 0) {
            disconnectLocked();
            m_hooks.clear();
        }
        return 1;
    }

    // Registers for notifications. On the shared connection the registration
    // is remembered and made again on every new connection, so that it
    // outlives a restart of the server; the caller keeps one handle for it.
    std::optional<std::uint32_t> hook(const ClientRegistration& registration) {
        if (std::this_thread::get_id() != m_readerId.load()) {
            std::unique_lock<std::mutex> callLock(m_callMutex);
            int fd = -1;
            {
                std::lock_guard<std::mutex> lock(m_stateMutex);
                if (m_installs > 0 && (m_fd >= 0 || connectLocked()))
                    fd = m_fd;
            }
            if (fd >= 0) {
                const auto server = callPersistent(fd, registerRequest(registration));
                if (!server || *server == 0)
                    return server;
                std::lock_guard<std::mutex> lock(m_stateMutex);
                const std::uint32_t handle = m_nextHook++;
                m_hooks.push_back(Hook{handle, registration, *server});
                return handle;
            }
        }
        // Without an installed client the registration dies with the
        // connection of this one request.
        const auto request = registerRequest(registration);
        return call(request.kind, request.code, request.word, request.lparam, request.payload);
    }

    std::optional<std::uint32_t> dehook(std::uint32_t handle) {
        std::uint32_t server = handle;
        {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            const auto it =
                std::find_if(m_hooks.begin(), m_hooks.end(), [handle](const Hook& h) { return h.handle == handle; });
            if (it != m_hooks.end()) {
                server = it->server;
                m_hooks.erase(it);
            }
        }
        return call(LinkWire::KindPlain, NMEA_UNREGISTER, 0, server);
    }

    std::optional<std::uint32_t> call(std::uint32_t kind, std::uint32_t code, std::uint32_t word, std::uint32_t lparam,
                                      std::vector<std::uint8_t> payload = {}) {
        LinkWire::Request request{kind, code, word, lparam, std::move(payload)};
        // A post function that asks the server something runs on the
        // receiving thread, which cannot wait for its own reply.
        if (std::this_thread::get_id() != m_readerId.load()) {
            std::unique_lock<std::mutex> callLock(m_callMutex);
            int fd = -1;
            {
                std::lock_guard<std::mutex> lock(m_stateMutex);
                // A connection whose server went away is not replaced here:
                // starting a server for a request would also start one for
                // the last unregistering at the end of a program. The reader
                // takes up the next server that answers.
                if (m_installs > 0 && (m_fd >= 0 || connectLocked()))
                    fd = m_fd;
            }
            if (fd >= 0)
                return callPersistent(fd, request);
        }
        const int fd = connectOrStart();
        if (fd < 0)
            return std::nullopt;
        {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            mapBlockLocked(true);
        }
        auto result = callDirect(fd, request);
        close(fd);
        return result;
    }

    std::shared_ptr<SharedBlock> block() {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        mapBlockLocked(false);
        return m_block;
    }

    void setPost(ZoziPostFunction function, void* context) {
        std::lock_guard<std::mutex> lock(m_postMutex);
        m_post = function;
        m_postContext = context;
    }

private:
    struct Hook {
        std::uint32_t handle; // what the caller holds
        ClientRegistration registration;
        std::uint32_t server; // the current server's handle for it
    };

    static LinkWire::Request registerRequest(const ClientRegistration& registration) {
        return LinkWire::Request{LinkWire::KindData, NMEA_REGISTER, NMEA_EVENT_POSITION, 0, bytesOf(registration)};
    }

    // Makes every remembered registration on a new connection that no
    // reader serves yet.
    bool reregisterLocked(int fd) {
        for (Hook& hook : m_hooks) {
            const auto server = callDirect(fd, registerRequest(hook.registration));
            if (!server || *server == 0)
                return false;
            hook.server = *server;
        }
        return true;
    }

    // `fresh` maps the block again: a server started anew may have made a
    // new one. A reader still holding the old mapping keeps it alive.
    bool mapBlockLocked(bool fresh) {
        if (!m_block || fresh) {
            std::shared_ptr<SharedBlock> block = SharedBlock::openExisting(nullptr);
            if (block || !m_block)
                m_block = std::move(block);
        }
        return m_block != nullptr;
    }

    void recountLocked() {
        if (!mapBlockLocked(false))
            return;
        SharedBlock* block = m_block.get();
        ClientSlots::recount(LinkPaths::clientsDir(),
                             [block](int count) { block->storeInt(block->data()->clientCount, count); });
    }

    bool connectLocked() {
        if (m_fd >= 0 && !m_broken)
            return true;
        disconnectLocked();
        const int fd = connectOrStart();
        if (fd < 0)
            return false;
        if (!mapBlockLocked(true) || !reregisterLocked(fd)) {
            close(fd);
            return false;
        }
        recountLocked();
        m_fd = fd;
        m_broken = false;
        m_stop = false;
        m_reader = std::thread([this, fd] { readerLoop(fd); });
        return true;
    }

    void disconnectLocked() {
        if (m_fd < 0)
            return;
        {
            std::lock_guard<std::mutex> lock(m_stopMutex);
            m_stop = true;
        }
        m_stopCv.notify_all();
        shutdown(m_fd, SHUT_RDWR);
        if (m_reader.joinable()) {
            if (m_reader.get_id() == std::this_thread::get_id())
                m_reader.detach();
            else
                m_reader.join();
        }
        close(m_fd);
        m_fd = -1;
    }

    std::optional<std::uint32_t> callPersistent(int fd, const LinkWire::Request& request) {
        const auto bytes = LinkWire::encodeRequest(request);
        std::unique_lock<std::mutex> lock(m_replyMutex);
        m_replyReady = false;
        if (m_broken || !LinkSocket::writeAll(fd, bytes.data(), bytes.size()))
            return std::nullopt;
        if (!m_replyCv.wait_for(lock, ReplyTimeout, [this] { return m_replyReady || m_broken; }) || !m_replyReady)
            return std::nullopt;
        m_replyReady = false;
        return m_reply;
    }

    void readerLoop(int fd) {
        m_readerId = std::this_thread::get_id();
        // A notification is for the caller to see at once; the post
        // function it runs here is meant to be short.
        ThreadSlice::requestShort();
        for (;;) {
            readFrames(fd);
            {
                std::lock_guard<std::mutex> lock(m_replyMutex);
                m_broken = true;
                m_replyCv.notify_all();
            }
            // The server went away (it was ended, or it crashed). Its
            // registrations died with it; a server started again gets them
            // anew, so that positions keep coming without the caller noticing.
            fd = awaitNewServer();
            if (fd < 0)
                break;
        }
        m_readerId = std::thread::id();
    }

    // Waits for a server to answer again and takes the connection over:
    // registrations made again, the block mapped anew, the count stored.
    // -1 when the connection is being closed meanwhile.
    int awaitNewServer() {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_stopMutex);
                if (m_stopCv.wait_for(lock, ReconnectInterval, [this] { return m_stop.load(); }))
                    return -1;
            }
            const int fresh = LinkSocket::connectServer(LinkPaths::socketPath());
            if (fresh < 0)
                continue;
            // A caller that reconnects by itself holds the state and waits
            // for this thread to end: never block on it.
            std::unique_lock<std::mutex> state(m_stateMutex, std::try_to_lock);
            while (!state.owns_lock()) {
                if (m_stop) {
                    close(fresh);
                    return -1;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                state.try_lock();
            }
            if (m_stop || !mapBlockLocked(true) || !reregisterLocked(fresh)) {
                close(fresh);
                if (m_stop)
                    return -1;
                continue;
            }
            recountLocked();
            close(m_fd);
            m_fd = fresh;
            std::lock_guard<std::mutex> lock(m_replyMutex);
            m_broken = false;
            return fresh;
        }
    }

    void readFrames(int fd) {
        // Frames are taken in bulk: a burst of notifications costs one read,
        // not one per frame. The server hands over the notifications of all
        // lines it read at once in one write; a client that fell behind
        // catches up with few reads.
        std::uint8_t buffer[1024 * LinkWire::ServerFrameSize];
        std::size_t filled = 0;
        for (;;) {
            const ssize_t n = recv(fd, buffer + filled, sizeof(buffer) - filled, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            filled += std::size_t(n);
            std::size_t used = 0;
            for (; filled - used >= LinkWire::ServerFrameSize; used += LinkWire::ServerFrameSize)
                deliver(LinkWire::decodeServerFrame(buffer + used));
            std::memmove(buffer, buffer + used, filled - used);
            filled -= used;
        }
    }

    void deliver(const LinkWire::ServerFrame& frame) {
        if (frame.kind == LinkWire::KindReply) {
            std::lock_guard<std::mutex> lock(m_replyMutex);
            m_reply = frame.a;
            m_replyReady = true;
            m_replyCv.notify_all();
        } else if (frame.kind == LinkWire::KindNotification) {
            ZoziPostFunction post;
            void* context;
            {
                std::lock_guard<std::mutex> lock(m_postMutex);
                post = m_post;
                context = m_postContext;
            }
            // The registration's wParam carries the window to post to.
            if (post)
                post(frame.b, frame.a, 0, 0, context);
        }
    }

    std::mutex m_stateMutex;
    int m_installs = 0;
    std::vector<ClientSlots::Slot> m_slots;
    std::vector<Hook> m_hooks;
    std::uint32_t m_nextHook = 1;
    std::shared_ptr<SharedBlock> m_block;
    int m_fd = -1;
    std::thread m_reader;
    std::atomic<std::thread::id> m_readerId{};

    std::mutex m_callMutex; // one request at a time on the shared connection
    std::mutex m_replyMutex;
    std::condition_variable m_replyCv;
    bool m_replyReady = false;
    std::atomic<bool> m_broken{false};

    // Set while the connection is closed on purpose: the reader then stops
    // looking for a new server.
    std::mutex m_stopMutex;
    std::condition_variable m_stopCv;
    std::atomic<bool> m_stop{false};
    std::uint32_t m_reply = 0;

    std::mutex m_postMutex;
    ZoziPostFunction m_post = nullptr;
    void* m_postContext = nullptr;
};

} // namespace

extern "C" {

int wglInstall(void) {
    return Link::instance().install();
}

uint32_t wglHookPosition(const NmeaHookRequest* request) {
    if (!request)
        return 0;
    ClientRegistration registration;
    registration.window = request->window;
    registration.message = request->message;
    // Notifications carry wParam and lParam but not the window; the window
    // travels in wParam so that several hooks of one process stay apart.
    registration.wParam = request->window;
    return Link::instance().hook(registration).value_or(0);
}

int wglGetPosData(void* buffer, int) {
    const auto block = Link::instance().block();
    if (!buffer || !block)
        return 0;
    PositionRecord r;
    block->readPosition(r);
    unsigned char out[128] = {};
    const double latMinutes = r.latMinutes;
    const double lonMinutes = r.lonMinutes;
    std::memcpy(out + 0, &r.quality, 4);
    std::memcpy(out + 4, &r.satellites, 4);
    std::memcpy(out + 8, &r.hdop, 4);
    std::memcpy(out + 12, &r.altitude, 4);
    std::memcpy(out + 16, &r.diffAge, 4);
    std::memcpy(out + 20, &r.timeMs, 4);
    std::memcpy(out + 36, &r.latDegrees, 4);
    std::memcpy(out + 40, &latMinutes, 8);
    std::memcpy(out + 48, &r.lonDegrees, 4);
    std::memcpy(out + 52, &lonMinutes, 8);
    std::memcpy(buffer, out, sizeof(out));
    return 1;
}

int nmeaGetHeight(float* height) {
    const auto block = Link::instance().block();
    if (!height || !block)
        return 1;
    PositionRecord r;
    block->readPosition(r);
    *height = r.altitude;
    return 0;
}

int wglDeHook(uint32_t handle) {
    return Link::instance().dehook(handle).value_or(0) != 0;
}

int wglUnInstall(int) {
    return Link::instance().uninstall();
}

int nmeaSetComPort(const NmeaPortConfig* config) {
    if (!config)
        return 0;
    PortRequest request;
    static_assert(sizeof(PortRequest) == sizeof(NmeaPortConfig));
    std::memcpy(static_cast<void*>(&request), config, sizeof(request));
    return int(Link::instance().call(LinkWire::KindData, NMEA_SET_PORT, 0, 0, bytesOf(request)).value_or(0));
}

int nmeaGetComPort(NmeaPortConfig* config) {
    if (!config)
        return 0;
    Link& link = Link::instance();
    if (link.call(LinkWire::KindPlain, NMEA_QUERY_PORT, 0, 0).value_or(0) == 0)
        return 0;
    const auto block = link.block();
    if (!block)
        return 0;
    const SharedPositionBlock* b = block->data();
    config->flags = block->loadInt(b->filterFlags);
    config->port = block->loadInt(b->portNumber);
    config->baudRate = b->baudRate;
    config->dataBits = b->dataBits;
    config->parity = b->parity;
    config->stopBits = b->stopBits;
    config->unused = 0;
    return 1;
}

int nmeaSetRecordFile(const char* fileName) {
    return int(Link::instance().call(LinkWire::KindData, NMEA_SET_RECORD_FILE, 0, 0, nameBytes(fileName)).value_or(0));
}

int nmeaSetPlayFile(const char* fileName) {
    return int(Link::instance().call(LinkWire::KindData, NMEA_SET_PLAY_FILE, 0, 0, nameBytes(fileName)).value_or(0));
}

int nmeaSetPlaySpeed(int speedExponent) {
    if (speedExponent < 0)
        return 0;
    return int(
        Link::instance().call(LinkWire::KindPlain, NMEA_SET_PLAY_SPEED, std::uint32_t(speedExponent), 0).value_or(0));
}

int nmeaGetState(NmeaState* state) {
    if (!state)
        return 0;
    Link& link = Link::instance();
    if (link.call(LinkWire::KindPlain, NMEA_QUERY_STATE, 0, 0).value_or(0) == 0)
        return 0;
    const auto block = link.block();
    if (!block)
        return 0;
    const SharedPositionBlock* b = block->data();
    state->recording = block->loadInt(b->recording);
    state->playing = block->loadInt(b->playing);
    state->speedExponent = block->loadInt(b->speedExponent);
    return 1;
}

void zoziSetPostFunction(ZoziPostFunction function, void* context) {
    Link::instance().setPost(function, context);
}

} // extern "C"
