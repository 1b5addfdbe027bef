#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr char ActivateRequest[] = "activate\n";
constexpr char ActivateReply[] = "ok\n";
constexpr int ConnectWaitMs = 1000;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    stop();
}

QString SingleInstance::serverName(const QString& title) {
    QString key = qEnvironmentVariable("VISTREL_INSTANCE_KEY");
    // Only name-safe characters: the name becomes a file in the temp folder.
    for (QChar& c : key) {
        if (!c.isLetterOrNumber() && c != u'-' && c != u'_')
            c = u'_';
    }
    const QByteArray digest = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("vistrel-%1-%2-%3").arg(getuid()).arg(key, QString::fromLatin1(digest));
}

bool SingleInstance::activateRunning(const QString& title) {
    QLocalSocket socket;
    socket.connectToServer(serverName(title));
    if (!socket.waitForConnected(ConnectWaitMs))
        return false;
    socket.write(ActivateRequest);
    socket.waitForBytesWritten(ConnectWaitMs);
    // The reply only confirms; a viewer that accepted the connection exists
    // even if it is too busy to answer in time.
    socket.waitForReadyRead(ConnectWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(const QString& title) {
    stop();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    const QString name = serverName(title);
    if (m_server->listen(name))
        return true;
    // A socket left behind by a viewer that crashed: nobody answered on it,
    // so it may be taken over.
    QLocalServer::removeServer(name);
    if (m_server->listen(name))
        return true;
    stop();
    return false;
}

void SingleInstance::stop() {
    if (m_server == nullptr)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

bool SingleInstance::isListening() const {
    return m_server != nullptr && m_server->isListening();
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Requests are one short line; anything else is ignored.
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(64);
            if (line == ActivateRequest) {
                socket->write(ActivateReply);
                socket->flush();
                emit activationRequested();
            }
        });
    }
}
