#include "LinkServer.h"

#include "LinkSocket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

struct LinkServer::Connection {
    int fd = -1;
    LinkWire::RequestDecoder decoder;
    QSocketNotifier* notifier = nullptr;
    std::mutex writeMutex; // a reply and a notification never interleave
    bool closed = false;   // under writeMutex
    std::string pending;   // under writeMutex: bytes the socket did not take yet
    bool flushScheduled = false;
    bool queued = false; // under writeMutex: listed for the next sendQueued()
};

namespace {

// Frames a client has not taken yet are kept for it, up to as many as a
// message queue would hold; beyond that a client that does not read loses
// notifications rather than making the server grow.
constexpr std::size_t MaxPendingBytes = 10000 * LinkWire::ServerFrameSize;

// Sends what is pending without blocking; true when nothing is left.
bool flushPending(LinkServer::Connection& connection, bool& failed) {
    failed = false;
    while (!connection.pending.empty()) {
        const ssize_t n =
            send(connection.fd, connection.pending.data(), connection.pending.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            connection.pending.erase(0, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false;
        failed = true;
        return false;
    }
    return true;
}

} // namespace

LinkServer::Send LinkServer::sendFrame(const std::shared_ptr<Connection>& connection,
                                       const LinkWire::ServerFrame& frame, int waitMs) {
    std::uint8_t bytes[LinkWire::ServerFrameSize];
    LinkWire::encodeServerFrame(frame, bytes);
    std::unique_lock<std::mutex> lock(connection->writeMutex);
    if (connection->closed)
        return Send::Failed;
    const bool reply = waitMs > 0;
    if (!reply && connection->pending.size() >= MaxPendingBytes)
        return Send::Dropped;
    bool failed = false;
    std::size_t sent = 0;
    if (connection->pending.empty()) {
        // The usual case: nothing is waiting, so the frame goes straight
        // from here without passing through the pending buffer.
        while (sent < sizeof(bytes)) {
            const ssize_t n = send(connection->fd, bytes + sent, sizeof(bytes) - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0)
                sent += std::size_t(n);
            else if (!(n < 0 && errno == EINTR))
                break;
        }
        if (sent == sizeof(bytes))
            return Send::Done;
    }
    connection->pending.append(reinterpret_cast<const char*>(bytes) + sent, sizeof(bytes) - sent);
    if (flushPending(*connection, failed))
        return Send::Done;
    if (failed)
        return Send::Failed;
    if (reply) {
        // A reply is awaited by its client; give a slow reader a moment.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{connection->fd, POLLOUT, 0};
            poll(&pfd, 1, 50);
            if (flushPending(*connection, failed))
                return Send::Done;
            if (failed)
                return Send::Failed;
        }
        return Send::Failed;
    }
    scheduleFlush(connection);
    return Send::Done;
}

void LinkServer::scheduleFlush(const std::shared_ptr<Connection>& connection) {
    // The rest goes out from the window thread as the client reads.
    // Called with the connection's write lock held.
    if (connection->flushScheduled)
        return;
    connection->flushScheduled = true;
    std::weak_ptr<Connection> weak = connection;
    QMetaObject::invokeMethod(
        this, [this, weak] { flushLater(weak); }, Qt::QueuedConnection);
}

void LinkServer::sendPending(const std::shared_ptr<Connection>& connection) {
    std::lock_guard<std::mutex> lock(connection->writeMutex);
    connection->queued = false;
    if (connection->closed || connection->pending.empty())
        return;
    bool failed = false;
    if (!flushPending(*connection, failed) && !failed)
        scheduleFlush(connection);
}

void LinkServer::flushLater(const std::weak_ptr<Connection>& weak) {
    auto connection = weak.lock();
    if (!connection)
        return;
    std::lock_guard<std::mutex> lock(connection->writeMutex);
    connection->flushScheduled = false;
    if (connection->closed)
        return;
    bool failed = false;
    if (flushPending(*connection, failed) || failed)
        return;
    connection->flushScheduled = true;
    QTimer::singleShot(2, this, [this, weak] { flushLater(weak); });
}

LinkServer::LinkServer(QObject* parent) : QObject(parent) {}

LinkServer::~LinkServer() {
    for (const auto& connection : m_connections) {
        delete connection->notifier;
        std::lock_guard<std::mutex> lock(connection->writeMutex);
        connection->closed = true;
        close(connection->fd);
    }
    if (m_listenFd >= 0) {
        close(m_listenFd);
        unlink(m_path.c_str());
    }
}

bool LinkServer::listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    unlink(path.c_str());
    // The socket file is created without permissions for others; the peer
    // check on every connection stands behind it.
    const mode_t oldMask = umask(077);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    umask(oldMask);
    if (!bound || ::listen(fd, 64) != 0) {
        close(fd);
        return false;
    }
    m_listenFd = fd;
    m_path = path;
    m_acceptNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, [this] { acceptClients(); });
    return true;
}

void LinkServer::acceptClients() {
    for (;;) {
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        if (LinkSocket::peerUid(fd) != long(geteuid())) {
            close(fd);
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->fd = fd;
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        std::weak_ptr<Connection> weak = connection;
        connect(connection->notifier, &QSocketNotifier::activated, this, [this, weak] {
            if (auto c = weak.lock())
                readFrom(c);
        });
        m_connections.push_back(connection);
    }
}

void LinkServer::readFrom(const std::shared_ptr<Connection>& connection) {
    std::uint8_t buffer[4096];
    bool ended = false;
    for (;;) {
        const ssize_t n = recv(connection->fd, buffer, sizeof(buffer), 0);
        if (n > 0) {
            connection->decoder.feed(buffer, std::size_t(n));
            if (std::size_t(n) < sizeof(buffer))
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        ended = true;
        break;
    }
    LinkWire::Request request;
    for (;;) {
        const auto status = connection->decoder.next(request);
        if (status == LinkWire::RequestDecoder::Status::NeedMore)
            break;
        if (status == LinkWire::RequestDecoder::Status::Broken) {
            ended = true;
            break;
        }
        // A handler may open a message box and so run a nested event loop;
        // this connection's next request waits until its reply is out.
        connection->notifier->setEnabled(false);
        const std::uint32_t result = m_handler ? m_handler(connection, request) : 0;
        if (connection->notifier)
            connection->notifier->setEnabled(true);
        if (sendFrame(connection, LinkWire::ServerFrame{LinkWire::KindReply, result, 0, 0}, 2000) != Send::Done) {
            ended = true;
            break;
        }
    }
    if (ended)
        dropConnection(connection);
}

void LinkServer::dropConnection(const std::shared_ptr<Connection>& connection) {
    {
        // A registration dies with its connection.
        std::lock_guard<std::mutex> lock(m_registrationMutex);
        m_registrations.remove_if([&](const Registration& r) {
            auto c = r.connection.lock();
            return !c || c == connection;
        });
    }
    connection->notifier->setEnabled(false);
    connection->notifier->deleteLater();
    connection->notifier = nullptr;
    {
        std::lock_guard<std::mutex> lock(connection->writeMutex);
        connection->closed = true;
        close(connection->fd);
    }
    m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), connection), m_connections.end());
}

std::uint32_t LinkServer::addRegistration(const std::shared_ptr<Connection>& connection,
                                          const GpsProtocol::ClientRegistration& registration,
                                          std::uint32_t eventMask) {
    std::lock_guard<std::mutex> lock(m_registrationMutex);
    std::uint32_t handle = 0;
    do {
        handle = m_nextHandle++;
    } while (handle == 0 || std::any_of(m_registrations.begin(), m_registrations.end(),
                                        [&](const Registration& r) { return r.handle == handle; }));
    m_registrations.push_front(Registration{handle, connection, registration, eventMask});
    return handle;
}

void LinkServer::removeRegistration(std::uint32_t handle) {
    std::lock_guard<std::mutex> lock(m_registrationMutex);
    m_registrations.remove_if([&](const Registration& r) { return r.handle == handle; });
}

std::size_t LinkServer::registrationCount() const {
    std::lock_guard<std::mutex> lock(m_registrationMutex);
    return m_registrations.size();
}

void LinkServer::queueNotification(std::uint32_t event) {
    std::uint8_t bytes[LinkWire::ServerFrameSize];
    std::lock_guard<std::mutex> lock(m_registrationMutex);
    for (const Registration& r : m_registrations) {
        if ((r.eventMask & event) == 0)
            continue;
        auto connection = r.connection.lock();
        if (!connection)
            continue;
        LinkWire::encodeServerFrame(
            LinkWire::ServerFrame{LinkWire::KindNotification, r.data.message, r.data.wParam, r.data.lParam}, bytes);
        std::lock_guard<std::mutex> writeLock(connection->writeMutex);
        if (connection->closed || connection->pending.size() >= MaxPendingBytes)
            continue;
        connection->pending.append(reinterpret_cast<const char*>(bytes), sizeof(bytes));
        if (!connection->queued) {
            connection->queued = true;
            m_queued.push_back(std::move(connection));
        }
    }
}

void LinkServer::sendQueued() {
    std::vector<std::shared_ptr<Connection>> queued;
    {
        std::lock_guard<std::mutex> lock(m_registrationMutex);
        queued.swap(m_queued);
    }
    for (const auto& connection : queued)
        sendPending(connection);
}

void LinkServer::notify(std::uint32_t event) {
    std::lock_guard<std::mutex> lock(m_registrationMutex);
    for (const Registration& r : m_registrations) {
        if ((r.eventMask & event) == 0)
            continue;
        if (auto connection = r.connection.lock())
            sendFrame(connection,
                      LinkWire::ServerFrame{LinkWire::KindNotification, r.data.message, r.data.wParam, r.data.lParam},
                      0);
    }
}
