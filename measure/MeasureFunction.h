#pragma once

#include "MeasureLineArea.h"
#include "MeasureNumber.h"
#include "PointRectFunction.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class TMeasureFrame;
namespace DrawCoordTransformer {
class BaseDCT;
}

// The tool window "Entfernung/Fläche": a small window that stays on top of
// the main window and tells its function when the user closes it.
class TMeasureWindow : public QWidget {
    Q_OBJECT
public:
    TMeasureWindow(const MeasureNumberFormat& format, QWidget* parent);
    TMeasureFrame* Frame() const { return m_frame; }
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TMeasureFrame* m_frame;
};

// The measure function: every click on the map adds a point to the
// measurement; drags are not rectangles here and add nothing. While the
// function is active its window shows the figures and the line or area is
// drawn on the map; closing the window gives the map back to the function
// that was active before.
class MeasureFunction : public PointRectFunction {
public:
    // `decimals`: decimal places of the figures; `owner`: the window the
    // measuring window stays on top of.
    explicit MeasureFunction(int decimals = 0, QWidget* owner = nullptr);
    ~MeasureFunction() override;

    bool RectsAllowed() const override { return false; }
    void PointAction() override;
    void Paint(MapEventInfo& info) override;
    void Enter(MapFunction* previous) override;
    bool Leave(MapFunction* next) override;

    // Draws the line, or the hatched area when closed, through the
    // transformer onto its canvas.
    void Draw(DrawCoordTransformer::BaseDCT& transformer) const;

    MeasureLineArea& Measurement() { return m_measurement; }
    const MeasureNumberFormat& NumberFormat() const { return m_format; }
    // None until the function was first entered.
    TMeasureWindow* MeasureWindow() const { return m_window.data(); }
    TMeasureFrame* Frame() const;
    MapFunction* Previous() const { return m_previous; }

    // The user closed the window: the previous function (or the default one)
    // becomes active again.
    void WindowClosed();

    // The warning sound of a click that adds nothing; tests replace it.
    static void SetBeeper(std::function<void()> beeper);

private:
    void measurementChanged(bool added);

    MeasureLineArea m_measurement;
    MeasureNumberFormat m_format;
    QPointer<QWidget> m_owner;
    QPointer<TMeasureWindow> m_window;
    MapFunction* m_previous = nullptr;
    int m_listener = 0;
};
