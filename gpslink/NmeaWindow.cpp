#include "NmeaWindow.h"

#include "ClientSlots.h"
#include "LinkDialogs.h"
#include "LinkPaths.h"
#include "NmeaParser.h"
#include "ProfileFile.h"
#include "SettingsDialog.h"
#include "SharedBlock.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <cstring>

using GpsProtocol::PositionRecord;

namespace {

const QString FileFilters = QStringLiteral("NMEA-Dateien (*.NME);;Alle Dateien (*.*)");
const QString ProgramName = QStringLiteral("ZIZU-Zaravarid");
const QString OriginLines =
    QStringLiteral("GPS-Verbindungsprogramm\nEmpfang, Aufzeichnung und Wiedergabe von NMEA-Daten");

QString hemisphereText(std::int32_t degrees, float minutes, char positive, char negative) {
    // The sign of the whole coordinate: the degrees, or the minutes when the
    // degrees are 0 (a position just south of the equator).
    const bool isNegative = degrees != 0 ? degrees < 0 : minutes < 0;
    return QString::asprintf("%d\u00b0 %.2f' %c", std::abs(degrees), double(std::fabs(minutes)),
                             isNegative ? negative : positive);
}

std::string payloadName(const LinkWire::Request& request) {
    const auto& p = request.payload;
    const auto end = std::find(p.begin(), p.end(), std::uint8_t(0));
    return std::string(p.begin(), end);
}

} // namespace

NmeaWindow::NmeaWindow(LinkDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_timer(new QTimer(this)), m_displayTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("NMEA"));
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    auto* layout = new QVBoxLayout(this);
    buildMenu();
    auto* form = new QFormLayout;
    layout->addLayout(form);
    m_latitude = new QLineEdit(this);
    m_longitude = new QLineEdit(this);
    m_altitude = new QLineEdit(this);
    for (QLineEdit* field : {m_latitude, m_longitude, m_altitude})
        field->setReadOnly(true);
    form->addRow(QStringLiteral("Breite"), m_latitude);
    form->addRow(QStringLiteral("Länge"), m_longitude);
    form->addRow(QStringLiteral("Höhe"), m_altitude);
    auto* about = new QLabel(ProgramName + QLatin1Char('\n') + OriginLines, this);
    layout->addWidget(about);

    m_timer->setInterval(125);
    connect(m_timer, &QTimer::timeout, this, &NmeaWindow::playbackTick);
    m_displayTimer->setSingleShot(true);
    connect(m_displayTimer, &QTimer::timeout, this, &NmeaWindow::showAnnounced);
    m_server.setRequestHandler([this](const std::shared_ptr<LinkServer::Connection>& c, const LinkWire::Request& r) {
        return handleRequest(c, r);
    });
}

NmeaWindow::~NmeaWindow() {
    saveSettings();
    m_port.open(0, PortSettings{});
    m_port.setHandlers({});
    closeRecordFile();
}

void NmeaWindow::buildMenu() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    QMenu* settings = bar->addMenu(QStringLiteral("&Einstellungen"));
    m_settingsAction = settings->addAction(QStringLiteral("&Schnittstelle..."), this, &NmeaWindow::commandSettings);
    settings->addSeparator();
    m_recordAction = settings->addAction(QStringLiteral("&Aufzeichnen..."), this, &NmeaWindow::commandRecord);
    m_recordAction->setCheckable(true);
    m_playAction = settings->addAction(QStringLiteral("Ab&spielen..."), this, &NmeaWindow::commandPlay);
    m_playAction->setCheckable(true);
    QMenu* speed = settings->addMenu(QStringLiteral("&Geschwindigkeit"));
    static const char* SpeedTexts[4] = {"&1x", "&2x", "&4x", "&8x"};
    for (int i = 0; i < 4; ++i) {
        m_speedActions[i] =
            speed->addAction(QString::fromLatin1(SpeedTexts[i]), this, [this, i] { commandSpeed(111 + i); });
        m_speedActions[i]->setCheckable(true);
    }
    m_speedActions[0]->setChecked(true);
    QMenu* help = bar->addMenu(QStringLiteral("&Hilfe"));
    m_helpAction = help->addAction(QStringLiteral("&Inhalt"));
    // There is no help file for the link program; the entry stays disabled.
    m_helpAction->setEnabled(false);
    m_aboutAction = help->addAction(QStringLiteral("Inf&o..."), this, &NmeaWindow::commandAbout);
}

QAction* NmeaWindow::action(int command) const {
    switch (command) {
    case 101:
        return m_settingsAction;
    case 102:
        return m_recordAction;
    case 103:
        return m_playAction;
    case 111:
    case 112:
    case 113:
    case 114:
        return m_speedActions[command - 111];
    case 201:
        return m_aboutAction;
    case 202:
        return m_helpAction;
    default:
        return nullptr;
    }
}

bool NmeaWindow::initialise(const std::string& socketPath, QString* error) {
    std::string blockError;
    m_block = SharedBlock::create(&blockError);
    if (!m_block) {
        if (error)
            *error = QString::fromStdString(blockError);
        return false;
    }
    m_port.setHandlers({[this](const std::string& line) { handleLine(line); }, [this] { m_server.sendQueued(); }});
    const std::string ini = LinkPaths::tolmIniPath();
    const std::string portText = ProfileFile::read(ini, "NMEA", "Port").substr(0, 29);
    if (const auto setting = SettingsString::parse(portText); setting && setting->port != 0)
        configurePort(setting->port, setting->settings);
    const std::string flagsText = ProfileFile::read(ini, "NMEA", "Flags", "3");
    m_port.setFilterFlags(NmeaParser::fieldInt(flagsText));
    setSpeedFactor(1);
    if (!m_server.listen(socketPath)) {
        if (error)
            *error = QStringLiteral("Die Verbindungsstelle \"%1\" kann nicht angelegt werden.")
                         .arg(QString::fromStdString(socketPath));
        return false;
    }
    return true;
}

void NmeaWindow::saveSettings() {
    if (m_settingsSaved || !m_block)
        return;
    m_settingsSaved = true;
    PortSettings settings;
    std::string port;
    if (m_port.isOpen() && m_port.deviceSettings(settings))
        port = SettingsString::format(m_port.portNumber(), settings);
    const std::string ini = LinkPaths::tolmIniPath();
    ProfileFile::write(ini, "NMEA", "Port", port);
    ProfileFile::write(ini, "NMEA", "Flags", std::to_string(m_port.filterFlags()));
}

bool NmeaWindow::configurePort(int number, const PortSettings& settings) {
    switch (m_port.open(number, settings)) {
    case NmeaPort::OpenResult::Ok:
        return true;
    case NmeaPort::OpenResult::Refused:
        m_dialogs.message(this, QStringLiteral("Fehler!"),
                          QStringLiteral("Die Schnittstelle unterstuetzt diese Parametereinstellungen nicht!"),
                          LinkDialogs::Icon::Error);
        return false;
    case NmeaPort::OpenResult::ThreadFailed:
        m_dialogs.message(this, QStringLiteral("COM-Port"),
                          QStringLiteral("Empfangsfunktion konnte nicht gestartet werden"), LinkDialogs::Icon::None);
        return false;
    }
    return false;
}

std::int64_t NmeaWindow::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString NmeaWindow::formatLatitude(std::int32_t degrees, float minutes) {
    return hemisphereText(degrees, minutes, 'N', 'S');
}

QString NmeaWindow::formatLongitude(std::int32_t degrees, float minutes) {
    return hemisphereText(degrees, minutes, 'E', 'W');
}

QString NmeaWindow::formatAltitude(float metres) {
    return QString::asprintf("%.1f m", double(metres));
}

QString NmeaWindow::latitudeText() const {
    return m_latitude->text();
}
QString NmeaWindow::longitudeText() const {
    return m_longitude->text();
}
QString NmeaWindow::altitudeText() const {
    return m_altitude->text();
}

PositionRecord NmeaWindow::currentRecord() const {
    PositionRecord record;
    m_block->readPosition(record);
    return record;
}

void NmeaWindow::publish(const PositionRecord& record) {
    m_block->writePosition(record);
}

void NmeaWindow::handleLine(const std::string& line) {
    if (m_playing.load())
        return;
    {
        std::lock_guard<std::mutex> lock(m_recordMutex);
        if (m_recordFile) {
            std::fwrite(line.data(), 1, line.size(), m_recordFile);
            std::fputs("\r\n", m_recordFile);
            std::fflush(m_recordFile);
        }
    }
    bool announce = false;
    PositionRecord record;
    {
        std::lock_guard<std::mutex> lock(m_blockMutex);
        record = currentRecord();
        if (NmeaParser::parseSentence(line, m_port.filterFlags(), record)) {
            publish(record);
            announce = record.quality > 0;
            if (announce)
                m_announced = record;
        }
    }
    if (announce) {
        m_server.queueNotification(GpsProtocol::NMEA_EVENT_POSITION);
        // The fields show the latest position only: while one update is on
        // its way to the window thread, later fixes ride along with it
        // instead of queueing an event each.
        if (!m_displayPending.exchange(true, std::memory_order_acq_rel))
            QMetaObject::invokeMethod(this, &NmeaWindow::showAnnounced, Qt::QueuedConnection);
    }
}

void NmeaWindow::showAnnounced() {
    // A receiver sending at full speed would otherwise keep the window thread
    // redrawing fields nobody can read that fast, taking the processor from
    // the receiving thread and the clients.
    const std::int64_t now = nowMs();
    const std::int64_t due = m_lastDisplayMs + DisplayIntervalMs;
    if (now < due) {
        m_displayTimer->start(int(due - now));
        return;
    }
    m_lastDisplayMs = now;
    m_displayPending.store(false, std::memory_order_release);
    PositionRecord latest;
    {
        std::lock_guard<std::mutex> lock(m_blockMutex);
        latest = m_announced;
    }
    showPosition(latest);
}

void NmeaWindow::notifyClients() {
    m_server.notify(GpsProtocol::NMEA_EVENT_POSITION);
    showPosition(currentRecord());
}

void NmeaWindow::showPosition(const PositionRecord& record) {
    m_latitude->setText(formatLatitude(record.latDegrees, record.latMinutes));
    m_longitude->setText(formatLongitude(record.lonDegrees, record.lonMinutes));
    m_altitude->setText(formatAltitude(record.altitude));
}

bool NmeaWindow::recording() const {
    std::lock_guard<std::mutex> lock(m_recordMutex);
    return m_recordFile != nullptr;
}

bool NmeaWindow::openRecordFile(const QString& path) {
    // Binary mode with explicit CR LF: the files keep the line ends they have
    // always had.
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_recordMutex);
        if (m_recordFile)
            std::fclose(m_recordFile);
        m_recordFile = file;
    }
    updateMenu();
    return true;
}

void NmeaWindow::closeRecordFile() {
    {
        std::lock_guard<std::mutex> lock(m_recordMutex);
        if (m_recordFile)
            std::fclose(m_recordFile);
        m_recordFile = nullptr;
    }
    if (m_recordAction)
        updateMenu();
}

void NmeaWindow::updateMenu() {
    const bool isRecording = recording();
    const bool isPlaying = playing();
    m_recordAction->setChecked(isRecording);
    m_playAction->setChecked(isPlaying);
    m_settingsAction->setEnabled(!isRecording && !isPlaying);
    m_playAction->setEnabled(!isRecording);
    m_recordAction->setEnabled(!isPlaying);
}

void NmeaWindow::commandRecord() {
    if (recording()) {
        closeRecordFile();
        return;
    }
    const QString path = m_dialogs.saveFileName(this, QStringLiteral("NMEA-Aufzeichnung"), FileFilters);
    if (!path.isEmpty())
        openRecordFile(path);
    updateMenu();
}

void NmeaWindow::commandPlay() {
    if (playing()) {
        stopPlayback();
        return;
    }
    const QString path = m_dialogs.openFileName(this, QString(), FileFilters);
    if (path.isEmpty())
        return;
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return;
    const QString error = startPlayback(file);
    if (!error.isEmpty())
        m_dialogs.message(this, QStringLiteral("Fehler beim Abspielen"), error, LinkDialogs::Icon::Error);
}

QString NmeaWindow::startPlayback(std::FILE* file) {
    stopPlayback();
    m_playing = true;
    updateMenu();
    bool announce = false;
    Playback::Start result;
    {
        std::lock_guard<std::mutex> lock(m_blockMutex);
        PositionRecord record = currentRecord();
        const PositionRecord before = record;
        result = m_playback.start(file, m_port.filterFlags(), nowMs(), record, announce);
        if (std::memcmp(&record, &before, sizeof(record)) != 0)
            publish(record);
    }
    if (announce)
        notifyClients();
    switch (result) {
    case Playback::Start::NoData:
        m_playing = false;
        updateMenu();
        return QStringLiteral("Datei enthält keine gültigen NMEA-Daten");
    case Playback::Start::Finished:
        m_playing = false;
        updateMenu();
        return QString();
    case Playback::Start::Playing:
        m_timer->start();
        if (!m_timer->isActive()) {
            stopPlayback();
            return QStringLiteral("Kein Zeitgeber verfügbar");
        }
        return QString();
    }
    return QString();
}

void NmeaWindow::stopPlayback() {
    m_timer->stop();
    m_playback.stop();
    m_playing = false;
    updateMenu();
}

void NmeaWindow::playbackTick() {
    bool delivered = false;
    {
        std::lock_guard<std::mutex> lock(m_blockMutex);
        PositionRecord record = currentRecord();
        delivered = m_playback.tick(nowMs(), m_port.filterFlags(), record);
        if (delivered)
            publish(record);
    }
    if (!m_playback.running())
        stopPlayback();
    if (delivered)
        notifyClients();
}

void NmeaWindow::setSpeedFactor(int factor) {
    m_playback.setSpeed(factor, nowMs());
    for (int i = 0; i < 4; ++i)
        m_speedActions[i]->setChecked(PortTables::SpeedFactors[std::size_t(i)] == factor);
}

void NmeaWindow::commandSpeed(int command) {
    if (command >= 111 && command <= 114)
        setSpeedFactor(PortTables::SpeedFactors[std::size_t(command - 111)]);
}

void NmeaWindow::commandSettings() {
    PortSettings current;
    const bool hasSettings = m_port.isOpen() && m_port.deviceSettings(current);
    SettingsDialog dialog(
        m_port.portNumber(), hasSettings ? &current : nullptr, m_port.filterFlags(),
        [this](int number, const PortSettings& s) { return configurePort(number, s); }, this);
    connect(&dialog, &SettingsDialog::flagsChosen, this, [this](std::int32_t flags) { m_port.setFilterFlags(flags); });
    m_dialogs.exec(dialog);
}

void NmeaWindow::commandAbout() {
    QDialog box(this);
    box.setWindowTitle(QStringLiteral("Information"));
    auto* layout = new QVBoxLayout(&box);
    auto* icon = new QLabel(&box);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    layout->addWidget(icon);
    layout->addWidget(new QLabel(ProgramName, &box));
    layout->addWidget(new QLabel(OriginLines, &box));
    auto* buttons = new QDialogButtonBox(&box);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    m_dialogs.exec(box);
}

int NmeaWindow::liveClientCount() const {
    const int counted = m_block->loadInt(m_block->data()->clientCount);
    if (counted <= 0)
        return 0;
    // A client killed without uninstalling cannot have lowered the count;
    // its slot lock is gone, though, so only live clients keep us asking.
    return std::min(counted, ClientSlots::countLive(LinkPaths::clientsDir(), false));
}

void NmeaWindow::closeEvent(QCloseEvent* event) {
    if (m_block && liveClientCount() > 0 &&
        !m_dialogs.askYesNo(this, QStringLiteral("Beenden"),
                            QStringLiteral("Es sind noch GPS-Applikationen aktiv.\nSind Sie sicher?"))) {
        event->ignore();
        return;
    }
    event->accept();
    saveSettings();
    emit finished();
}

void NmeaWindow::reject() {
    close();
}

std::uint32_t NmeaWindow::handleRequest(const std::shared_ptr<LinkServer::Connection>& connection,
                                        const LinkWire::Request& request) {
    using namespace GpsProtocol;
    auto* block = m_block->data();
    if (request.kind == LinkWire::KindData) {
        switch (request.code) {
        case NMEA_REGISTER: {
            if (request.payload.size() < sizeof(ClientRegistration))
                return 0;
            ClientRegistration registration;
            std::memcpy(&registration, request.payload.data(), sizeof(registration));
            return m_server.addRegistration(connection, registration, request.word & 0xFFFFu);
        }
        case NMEA_SET_PORT: {
            if (request.payload.size() < sizeof(PortRequest))
                return 0;
            PortRequest port;
            std::memcpy(&port, request.payload.data(), sizeof(port));
            const PortSettings settings{port.baudRate, port.dataBits, port.parity, port.stopBits};
            if (!configurePort(port.port, settings))
                return 0;
            m_port.setFilterFlags(port.flags);
            return 1;
        }
        case NMEA_SET_RECORD_FILE: {
            const std::string name = payloadName(request);
            if (name.empty()) {
                closeRecordFile();
                return 1;
            }
            return openRecordFile(QFile::decodeName(QByteArray::fromStdString(name))) ? 1 : 0;
        }
        case NMEA_SET_PLAY_FILE: {
            const std::string name = payloadName(request);
            if (name.empty()) {
                stopPlayback();
                return 1;
            }
            std::FILE* file = std::fopen(name.c_str(), "rb");
            if (!file)
                return 0;
            return startPlayback(file).isEmpty() ? 1 : 0;
        }
        default:
            return 0;
        }
    }
    switch (request.code) {
    case NMEA_UNREGISTER:
        m_server.removeRegistration(request.lparam);
        return 1;
    case NMEA_QUERY_PORT: {
        PortSettings settings;
        if (!m_port.isOpen() || !m_port.deviceSettings(settings))
            settings = PortSettings{};
        m_block->storeInt(block->filterFlags, m_port.filterFlags());
        m_block->storeInt(block->portNumber, m_port.portNumber());
        block->baudRate = settings.baudRate;
        block->dataBits = settings.dataBits;
        block->parity = settings.parity;
        block->stopBits = settings.stopBits;
        return 1;
    }
    case NMEA_SET_PLAY_SPEED:
        // The speed table has four entries; anything else changes nothing.
        if (request.word > 3)
            return 0;
        setSpeedFactor(PortTables::SpeedFactors[request.word]);
        return 1;
    case NMEA_QUERY_STATE: {
        m_block->storeInt(block->recording, recording() ? 1 : 0);
        m_block->storeInt(block->playing, playing() ? 1 : 0);
        int exponent = 0;
        while ((1 << exponent) < m_playback.speed())
            ++exponent;
        m_block->storeInt(block->speedExponent, exponent);
        return 1;
    }
    default:
        return 0;
    }
}
