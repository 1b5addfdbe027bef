#pragma once

#include "GpsProtocol.h"
#include "LinkWire.h"

#include <QObject>

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QSocketNotifier;

// The server end of the GPS link socket. Requests are read and answered in
// the window thread; notifications may be sent from any thread, so the
// registration list and every connection's writes are under locks.
class LinkServer : public QObject {
    Q_OBJECT
public:
    struct Connection;
    // Handles one request and returns its result.
    using RequestHandler = std::function<std::uint32_t(const std::shared_ptr<Connection>&, const LinkWire::Request&)>;

    explicit LinkServer(QObject* parent = nullptr);
    ~LinkServer() override;

    // Binds the socket at `path` (mode 0600); a stale socket file left by a
    // dead server is replaced. The caller holds the instance lock.
    bool listen(const std::string& path);
    void setRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }

    // Registration list, newest first. Handles are opaque and never 0.
    std::uint32_t addRegistration(const std::shared_ptr<Connection>& connection,
                                  const GpsProtocol::ClientRegistration& registration, std::uint32_t eventMask);
    void removeRegistration(std::uint32_t handle);
    std::size_t registrationCount() const;
    std::size_t connectionCount() const { return m_connections.size(); }

    // Sends the notification of every registration whose event mask has
    // `event` set. Safe from any thread and never blocks: what a client's
    // socket does not take at once is sent later from the window thread.
    void notify(std::uint32_t event);
    // The same frames, but kept with their connections until sendQueued():
    // a receiver that hands over many lines at once sends one write per
    // client for all of them, instead of waking every client once per line.
    // Every frame still goes out, in order.
    void queueNotification(std::uint32_t event);
    void sendQueued();

    enum class Send { Done, Dropped, Failed };

private:
    Send sendFrame(const std::shared_ptr<Connection>& connection, const LinkWire::ServerFrame& frame, int waitMs);
    void sendPending(const std::shared_ptr<Connection>& connection);
    void scheduleFlush(const std::shared_ptr<Connection>& connection);
    void flushLater(const std::weak_ptr<Connection>& connection);
    void acceptClients();
    void readFrom(const std::shared_ptr<Connection>& connection);
    void dropConnection(const std::shared_ptr<Connection>& connection);

    struct Registration {
        std::uint32_t handle;
        std::weak_ptr<Connection> connection;
        GpsProtocol::ClientRegistration data;
        std::uint32_t eventMask;
    };

    int m_listenFd = -1;
    std::string m_path;
    QSocketNotifier* m_acceptNotifier = nullptr;
    std::vector<std::shared_ptr<Connection>> m_connections;
    RequestHandler m_handler;
    mutable std::mutex m_registrationMutex;
    std::list<Registration> m_registrations;
    std::vector<std::shared_ptr<Connection>> m_queued; // under m_registrationMutex: frames kept back
    std::uint32_t m_nextHandle = 1;
};
