#pragma once

#include "GpsProtocol.h"
#include "LinkServer.h"
#include "NmeaPort.h"
#include "Playback.h"

#include <QDialog>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

class LinkDialogs;
class QAction;
class QLineEdit;
class QTimer;
class SharedBlock;

// The main window "NMEA": owns the port, the shared block, the socket server,
// recording and playback, and answers the clients' requests.
class NmeaWindow : public QDialog {
    Q_OBJECT
public:
    explicit NmeaWindow(LinkDialogs& dialogs, QWidget* parent = nullptr);
    ~NmeaWindow() override;

    // Maps the shared block, configures the port from the "Port" key, reads
    // "Flags" and starts serving on `socketPath`. False with a German
    // message when the window cannot work.
    bool initialise(const std::string& socketPath, QString* error);
    // Writes "Port" and "Flags"; done once, when the window goes away.
    void saveSettings();

    // Menu commands, also used by the tests.
    void commandSettings();
    void commandRecord();
    void commandPlay();
    void commandSpeed(int command); // 111..114
    void commandAbout();

    // Starts playback of `file` (taken over); an empty result is success,
    // else the German error text.
    QString startPlayback(std::FILE* file);
    void stopPlayback();
    bool openRecordFile(const QString& path);
    void closeRecordFile();

    bool recording() const;
    bool playing() const { return m_playing.load(); }
    int speedFactor() const { return m_playback.speed(); }
    NmeaPort& port() { return m_port; }
    LinkServer& server() { return m_server; }
    QAction* action(int command) const;
    QString latitudeText() const;
    QString longitudeText() const;
    QString altitudeText() const;

    // One line from the receiver (any thread). Its notification goes out
    // with the server's next sendQueued(), after the lines read with it.
    void handleLine(const std::string& line);
    std::uint32_t handleRequest(const std::shared_ptr<LinkServer::Connection>& connection,
                                const LinkWire::Request& request);

    // Port configuration with the failure messages; true on success.
    bool configurePort(int number, const PortSettings& settings);

    static std::int64_t nowMs();
    static QString formatLatitude(std::int32_t degrees, float minutes);
    static QString formatLongitude(std::int32_t degrees, float minutes);
    static QString formatAltitude(float metres);

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildMenu();
    void updateMenu();
    void notifyClients();
    void showPosition(const GpsProtocol::PositionRecord& record);
    void showAnnounced();
    void playbackTick();
    void setSpeedFactor(int factor);
    void publish(const GpsProtocol::PositionRecord& record);
    GpsProtocol::PositionRecord currentRecord() const;
    int liveClientCount() const;

    LinkDialogs& m_dialogs;
    NmeaPort m_port;
    LinkServer m_server;
    std::unique_ptr<SharedBlock> m_block;
    mutable std::mutex m_blockMutex;         // one writer of the position words at a time
    GpsProtocol::PositionRecord m_announced; // under m_blockMutex: the last fix announced, for the fields

    mutable std::mutex m_recordMutex; // the record file, between window and receiving thread
    std::FILE* m_recordFile = nullptr;

    Playback m_playback;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_displayPending{false}; // a field update is queued for the window thread
    QTimer* m_timer;
    // Received positions reach the fields at most this often.
    static constexpr std::int64_t DisplayIntervalMs = 100;
    QTimer* m_displayTimer;
    std::int64_t m_lastDisplayMs = -DisplayIntervalMs; // window thread

    QLineEdit* m_latitude;
    QLineEdit* m_longitude;
    QLineEdit* m_altitude;
    QAction* m_settingsAction = nullptr;
    QAction* m_recordAction = nullptr;
    QAction* m_playAction = nullptr;
    QAction* m_speedActions[4] = {};
    QAction* m_helpAction = nullptr;
    QAction* m_aboutAction = nullptr;
    bool m_settingsSaved = false;
};
