#pragma once

#include "GpsClient.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <memory>

class DynaGPSPainter;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class TComPortSetupDialog;

// The content of the "GPS" window: the latest position, a flash for every
// position received, whether and how the position is shown on the map, and
// a menu for the port, the marker colour, the track, recording and playback.
class TGPSSingleFrame : public QWidget {
    Q_OBJECT
public:
    // The message the GPS client posts to this window for every position.
    static constexpr uint32_t WM_USER = 1024;

    explicit TGPSSingleFrame(QWidget* parent = nullptr, const GpsClient::Api& api = GpsClient::imported());
    ~TGPSSingleFrame() override;

    // The hook, made once when the window is first shown and the library
    // is installed; then the map options follow it.
    void hook();
    // Stops playback and recording, hides the marker and the window.
    void close();
    // Shows the menu items of the registered track, if any.
    void setupTrackMenu();
    // Reads the position the library announced and shows it.
    void positionUpdate();

    bool installed() const { return m_installed; }
    uint32_t hookHandle() const { return m_hook; }
    DynaGPSPainter& painter() const { return *m_painter; }
    TComPortSetupDialog* portDialog() const { return m_portDialog; }

    QGroupBox* GroupBox1;
    QLineEdit* sleEasting;
    QLineEdit* sleNorthing;
    QLineEdit* sleHeight;
    QWidget* pnlGPSBlink;
    QLabel* shpGPSBlink;
    QLabel* lblGPSBlink;
    QGroupBox* grpGPSPoint;
    QCheckBox* chkShowPos;
    QCheckBox* chkCenterPos;
    QSlider* trackCenterPos;
    QLabel* lblNearCenter;
    QLabel* lblFrame;
    QPushButton* btnOptions;
    QPushButton* btnClose;
    QTimer* tmBlinkTimer;
    QMenu* mnuPopup;
    QAction* itemSettings;
    QAction* itemColorGPS;
    QAction* NTrack;
    QAction* itemShowTrack;
    QAction* itemClearTrack;
    QAction* N2;
    QAction* itemRecord;
    QAction* itemPlay;
    QMenu* itemSpeed;
    QAction* itemSpeedN[4];
    QColor dlgColorGPS{0x00, 0xFF, 0x00};

    // The colour of the reception circle.
    QColor blinkColour() const { return m_blink; }

public slots:
    void chkShowPosClick();
    void centerChanged();
    void btnOptionsClick();
    void mnuPopupPopup();
    void itemSettingsClick();
    void itemColorGPSClick();
    void itemRecordClick();
    void itemPlayClick();
    void itemSpeedClick(int tag);
    void tmBlinkTimerTimer();

protected:
    bool event(QEvent* event) override;

private:
    void setBlink(const QColor& colour);

    const GpsClient::Api& m_api;
    std::unique_ptr<DynaGPSPainter> m_painter;
    bool m_installed = false;
    uint32_t m_hook = 0;
    uint32_t m_window = 0;
    QColor m_blink{0xFF, 0xFF, 0xFF};
    TComPortSetupDialog* m_portDialog = nullptr;
};
