#include "TGPSSingleFrame.h"

#include "CoordCode.h"
#include "DynaGPSPainter.h"
#include "GpsTrack.h"
#include "PlatformDialogs.h"
#include "Registry.h"
#include "TComPortSetupDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>

#include <cstring>

namespace {

QLineEdit* labelledEdit(QWidget* parent, const QString& label, int y) {
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(8, y, 60, 21);
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setGeometry(70, y, 144, 21);
    caption->setBuddy(edit);
    return edit;
}

// Degrees and minutes as the receiver gave them, minutes to five places.
QString degreesText(int degrees, double minutes, const char* suffix) {
    return QString::asprintf("%d° %.5f'%s", degrees, minutes, suffix);
}

} // namespace

TGPSSingleFrame::TGPSSingleFrame(QWidget* parent, const GpsClient::Api& api) : QWidget(parent), m_api(api) {
    setFixedSize(232, 323);

    GroupBox1 = new QGroupBox(QStringLiteral("GPS-Position"), this);
    GroupBox1->setGeometry(4, 4, 224, 118);
    sleEasting = labelledEdit(GroupBox1, QStringLiteral("Länge"), 22);
    sleNorthing = labelledEdit(GroupBox1, QStringLiteral("Breite"), 48);
    sleHeight = labelledEdit(GroupBox1, QStringLiteral("Höhe"), 74);

    pnlGPSBlink = new QWidget(this);
    pnlGPSBlink->setGeometry(4, 126, 224, 26);
    shpGPSBlink = new QLabel(pnlGPSBlink);
    shpGPSBlink->setGeometry(8, 4, 18, 18);
    lblGPSBlink = new QLabel(QStringLiteral("GPS-Empfang"), pnlGPSBlink);
    lblGPSBlink->setGeometry(34, 4, 180, 18);
    setBlink(QColor(0xFF, 0xFF, 0xFF));

    grpGPSPoint = new QGroupBox(QStringLiteral("Anzeige in Karte"), this);
    grpGPSPoint->setGeometry(4, 156, 224, 124);
    chkShowPos = new QCheckBox(QStringLiteral("&aktiv"), grpGPSPoint);
    chkShowPos->setGeometry(8, 20, 200, 20);
    chkShowPos->setChecked(true);
    chkShowPos->setEnabled(false);
    chkCenterPos = new QCheckBox(QStringLiteral("&zentrieren wenn"), grpGPSPoint);
    chkCenterPos->setGeometry(8, 42, 200, 20);
    chkCenterPos->setChecked(true);
    chkCenterPos->setEnabled(false);
    trackCenterPos = new QSlider(Qt::Horizontal, grpGPSPoint);
    trackCenterPos->setGeometry(8, 64, 208, 26);
    trackCenterPos->setRange(0, 255);
    trackCenterPos->setValue(128);
    trackCenterPos->setPageStep(17);
    trackCenterPos->setTickInterval(17);
    trackCenterPos->setTickPosition(QSlider::TicksBelow);
    lblNearCenter = new QLabel(QStringLiteral("außerhalb der Mitte"), grpGPSPoint);
    lblNearCenter->setGeometry(8, 94, 140, 18);
    lblFrame = new QLabel(QStringLiteral("am Rand"), grpGPSPoint);
    lblFrame->setGeometry(150, 94, 66, 18);
    lblFrame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    btnOptions = new QPushButton(QStringLiteral("&Optionen  >>"), this);
    btnOptions->setGeometry(4, 288, 110, 28);
    btnClose = new QPushButton(QStringLiteral("GPS &schließen"), this);
    btnClose->setGeometry(118, 288, 110, 28);

    tmBlinkTimer = new QTimer(this);
    tmBlinkTimer->setInterval(500);

    mnuPopup = new QMenu(this);
    itemSettings = mnuPopup->addAction(QStringLiteral("&Schnittstelle / NMEA"));
    itemColorGPS = mnuPopup->addAction(QStringLiteral("&Farbe für GPS-Punkt..."));
    NTrack = mnuPopup->addSeparator();
    itemShowTrack = mnuPopup->addAction(QStringLiteral("&GPS-Spur zeigen"));
    itemClearTrack = mnuPopup->addAction(QStringLiteral("GPS-Spur &löschen"));
    NTrack->setVisible(false);
    itemShowTrack->setVisible(false);
    itemClearTrack->setVisible(false);
    N2 = mnuPopup->addSeparator();
    itemRecord = mnuPopup->addAction(QStringLiteral("Auf&zeichnen..."));
    itemRecord->setCheckable(true);
    itemPlay = mnuPopup->addAction(QStringLiteral("&Abspielen..."));
    itemPlay->setCheckable(true);
    itemSpeed = mnuPopup->addMenu(QStringLiteral("G&eschwindigkeit"));
    const char* speeds[] = {"1x", "2x", "4x", "8x"};
    for (int tag = 0; tag < 4; ++tag) {
        itemSpeedN[tag] = itemSpeed->addAction(QString::fromLatin1(speeds[tag]));
        itemSpeedN[tag]->setCheckable(true);
        connect(itemSpeedN[tag], &QAction::triggered, this, [this, tag] { itemSpeedClick(tag); });
    }

    connect(chkShowPos, &QCheckBox::clicked, this, &TGPSSingleFrame::chkShowPosClick);
    connect(chkCenterPos, &QCheckBox::clicked, this, &TGPSSingleFrame::centerChanged);
    connect(trackCenterPos, &QSlider::valueChanged, this, &TGPSSingleFrame::centerChanged);
    connect(btnOptions, &QPushButton::clicked, this, &TGPSSingleFrame::btnOptionsClick);
    connect(btnClose, &QPushButton::clicked, this, &TGPSSingleFrame::close);
    connect(mnuPopup, &QMenu::aboutToShow, this, &TGPSSingleFrame::mnuPopupPopup);
    connect(itemSettings, &QAction::triggered, this, &TGPSSingleFrame::itemSettingsClick);
    connect(itemColorGPS, &QAction::triggered, this, &TGPSSingleFrame::itemColorGPSClick);
    connect(itemRecord, &QAction::triggered, this, &TGPSSingleFrame::itemRecordClick);
    connect(itemPlay, &QAction::triggered, this, &TGPSSingleFrame::itemPlayClick);
    connect(tmBlinkTimer, &QTimer::timeout, this, &TGPSSingleFrame::tmBlinkTimerTimer);

    m_painter = std::make_unique<DynaGPSPainter>(dlgColorGPS);
    DynaPaint::AddPainter(m_painter.get());
    m_window = GpsClient::registerWindow(this);
    GpsClient::installPostFunction(m_api);
    m_installed = m_api.install && m_api.install() != 0;
}

TGPSSingleFrame::~TGPSSingleFrame() {
    GpsClient::unregisterWindow(m_window);
    if (m_installed) {
        if (m_hook != 0)
            m_api.deHook(m_hook);
        m_api.unInstall(1);
    }
    DynaPaint::RemovePainter(m_painter.get());
}

void TGPSSingleFrame::setupTrackMenu() {
    auto* track = Modul::GPS::AsSingleDialog::registeredTrack();
    if (track && track->setupMenu(itemShowTrack, itemClearTrack)) {
        NTrack->setVisible(true);
        itemShowTrack->setVisible(true);
        itemClearTrack->setVisible(true);
    }
}

void TGPSSingleFrame::hook() {
    if (m_installed && m_hook == 0) {
        NmeaHookRequest request{};
        request.window = m_window;
        request.message = WM_USER;
        m_hook = m_api.hookPosition(&request);
    }
    chkShowPos->setEnabled(m_hook != 0);
    chkCenterPos->setEnabled(m_hook != 0);
    chkShowPosClick();
    centerChanged();
}

void TGPSSingleFrame::close() {
    GpsClient::setPlayFile(QString());
    GpsClient::setRecordFile(QString());
    m_painter->setVisible(false);
    if (QWidget* window = this->window(); window != this)
        window->hide();
}

void TGPSSingleFrame::chkShowPosClick() {
    m_painter->setVisible(chkShowPos->isChecked());
    // Without a registration no position comes, and centring on none
    // makes no sense either.
    chkCenterPos->setEnabled(chkShowPos->isChecked() && m_hook != 0);
}

void TGPSSingleFrame::centerChanged() {
    const bool centre = chkCenterPos->isChecked();
    m_painter->setCenterThreshold(centre ? trackCenterPos->value() : -1);
    trackCenterPos->setEnabled(centre);
    lblFrame->setEnabled(centre);
    lblNearCenter->setEnabled(centre);
}

void TGPSSingleFrame::btnOptionsClick() {
    mnuPopup->popup(btnOptions->mapToGlobal(btnOptions->rect().topRight()));
}

void TGPSSingleFrame::mnuPopupPopup() {
    NmeaState state{};
    if (GpsClient::getState(state) == 0)
        state = NmeaState{0, 0, -1};
    itemPlay->setChecked(state.playing != 0);
    itemRecord->setChecked(state.recording != 0);
    for (int tag = 0; tag < 4; ++tag)
        itemSpeedN[tag]->setChecked(state.speedExponent == tag);
}

void TGPSSingleFrame::itemSettingsClick() {
    if (!m_portDialog)
        m_portDialog = new TComPortSetupDialog(this);
    m_portDialog->execute();
}

void TGPSSingleFrame::itemColorGPSClick() {
    dlgColorGPS = m_painter->colour();
    if (const auto colour = Platform::dialogs().chooseColor(this, dlgColorGPS)) {
        dlgColorGPS = *colour;
        m_painter->setColour(*colour);
    }
}

void TGPSSingleFrame::itemRecordClick() {
    // The check mark shows the state before the click.
    if (!itemRecord->isChecked()) {
        GpsClient::setRecordFile(QString());
        return;
    }
    Platform::FileDialogRequest request;
    request.filter = QStringLiteral("NMEA-Dateien (*.nme)");
    request.defaultSuffix = QStringLiteral("nme");
    const QString name = Platform::dialogs().saveFileName(this, request);
    if (!name.isEmpty())
        GpsClient::setRecordFile(name);
}

void TGPSSingleFrame::itemPlayClick() {
    if (!itemPlay->isChecked()) {
        GpsClient::setPlayFile(QString());
        return;
    }
    Platform::FileDialogRequest request;
    request.filter = QStringLiteral("NMEA-Dateien (*.nme);;Alle Dateien (*.*)");
    const QStringList names = Platform::dialogs().openFileNames(this, request);
    if (!names.isEmpty())
        GpsClient::setPlayFile(names.first());
}

void TGPSSingleFrame::itemSpeedClick(int tag) {
    GpsClient::setPlaySpeed(tag);
}

bool TGPSSingleFrame::event(QEvent* event) {
    if (event->type() == GpsClient::MessageEvent::type()) {
        if (static_cast<GpsClient::MessageEvent*>(event)->message() == WM_USER)
            positionUpdate();
        return true;
    }
    return QWidget::event(event);
}

void TGPSSingleFrame::positionUpdate() {
    GpsClient::positionArrived().dispatch(nullptr);
    if (!m_api.getPosData)
        return;
    unsigned char buffer[128] = {};
    m_api.getPosData(buffer, 0);
    int32_t latDegrees = 0, lonDegrees = 0;
    double latMinutes = 0, lonMinutes = 0;
    std::memcpy(&latDegrees, buffer + 36, 4);
    std::memcpy(&latMinutes, buffer + 40, 8);
    std::memcpy(&lonDegrees, buffer + 48, 4);
    std::memcpy(&lonMinutes, buffer + 52, 8);
    sleEasting->setText(degreesText(lonDegrees, lonMinutes, " O"));
    sleNorthing->setText(degreesText(latDegrees, latMinutes, " N"));
    float height = 0;
    if (m_api.getHeight && m_api.getHeight(&height) == 0)
        sleHeight->setText(QString::asprintf("%.1f m", double(height)));
    else
        sleHeight->clear();

    const long double lon = lonDegrees + lonMinutes * (1.0L / 60.0L);
    const long double lat = latDegrees + latMinutes * (1.0L / 60.0L);
    if (Transid::registry().changerCount() == 0)
        Transid::BuildRegistry();
    const Coord wgs84{Transid::Code::Etrs89Geographic, 0, double(lon), double(lat)};
    Coord gk{Transid::Code::DhdnGaussKrueger, 0};
    if (Transid::Convert(wgs84, gk))
        m_painter->setPosition(Coord{1, 0, gk.y, gk.x});

    setBlink(QColor(0xFF, 0x00, 0x00));
    tmBlinkTimer->start();
}

void TGPSSingleFrame::tmBlinkTimerTimer() {
    setBlink(QColor(0xFF, 0xFF, 0xFF));
    tmBlinkTimer->stop();
}

void TGPSSingleFrame::setBlink(const QColor& colour) {
    m_blink = colour;
    QPixmap circle(shpGPSBlink->size());
    circle.fill(Qt::transparent);
    QPainter p(&circle);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, circle.width() - 2, circle.height() - 2));
    p.end();
    shpGPSBlink->setPixmap(circle);
}
