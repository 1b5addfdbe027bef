#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// The link between viewers of one user that show the same title: the first
// one answers on a local socket named after the title; a later one asks it to
// come to the front and then ends. The environment variable
// VISTREL_INSTANCE_KEY, when set, becomes part of the name, so that tests
// running side by side do not meet each other.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString serverName(const QString& title);

    // Asks a running viewer with this title to come to the front; true when
    // one was reached.
    static bool activateRunning(const QString& title);

    // Answers under this title from now on (the previous title is given up).
    bool listen(const QString& title);
    void stop();
    bool isListening() const;

signals:
    void activationRequested();

private:
    void acceptConnections();

    QLocalServer* m_server = nullptr;
};
