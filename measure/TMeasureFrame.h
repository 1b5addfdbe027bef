#pragma once

#include "MeasureNumber.h"

#include <QFrame>

class MeasureLineArea;
class QLabel;
class QPushButton;

// The content of the measuring window: the last segment, the whole line and,
// once the line is closed, the area, with the buttons that change the
// measurement.
class TMeasureFrame : public QFrame {
    Q_OBJECT
public:
    TMeasureFrame(const MeasureNumberFormat& format, QWidget* parent = nullptr);
    ~TMeasureFrame() override;

    // Shows this measurement and follows its changes; none unbinds.
    void Bind(MeasureLineArea* measurement);
    MeasureLineArea* Measurement() const { return m_measurement; }

    QLabel* lblLastDist;
    QLabel* txtLastDist;
    QLabel* lblSumDist;
    QLabel* txtSumDist;
    QLabel* lblArea;
    QLabel* txtArea;
    QPushButton* pshCloseArea;
    QPushButton* pshDeleteLast;
    QPushButton* pshDeleteAll;

private:
    void UpdateView();
    void pshCloseAreaClick();
    void pshDeleteLastClick();
    void pshDeleteAllClick();

    const MeasureNumberFormat& m_format;
    MeasureLineArea* m_measurement = nullptr;
    int m_listener = 0;
};
