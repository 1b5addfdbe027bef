#include "MapNavigation.h"

#include "MainMapModule.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

#include <cmath>

namespace {

// One notch of a mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;
// Each zoom step halves or doubles the scale, as the zoom buttons do.
constexpr double ZoomStep = 2.0;

} // namespace

MapNavigation::MapNavigation(TTolmWindow& window) : QObject(&window), m_window(window), m_viewport(window.viewport()) {
    window.installEventFilter(this);
    m_viewport->installEventFilter(this);
    // Zooming by keys works wherever the focus is in the main window, as
    // long as the map is on screen.
    const struct {
        QKeySequence keys;
        double factor;
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), ZoomStep},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), ZoomStep},
        {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)), ZoomStep},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), 1.0 / ZoomStep},
        {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)), 1.0 / ZoomStep},
    };
    for (const auto& entry : shortcuts) {
        auto* shortcut = new QShortcut(entry.keys, &window);
        shortcut->setContext(Qt::WindowShortcut);
        const double factor = entry.factor;
        connect(shortcut, &QShortcut::activated, this, [this, factor] { ZoomAboutMouse(m_window, factor); });
    }
}

void MapNavigation::ZoomAbout(TTolmWindow& window, double factor, QPoint anchor) {
    const TLM_HANDLE map = window.MapHandle();
    if (map == 0 || !(factor > 0.0))
        return;
    MainMapModule* module = MainMapModule::instance();
    if (module != nullptr && module->Window() != &window)
        module = nullptr;
    const double before = window.ZoomFactor();
    const double after = module ? module->ClampedZoom(before * factor) : before * factor;
    if (!(before > 0.0) || after == before)
        return;
    // In display pixels of the present zoom: the anchor keeps its place when
    // the middle of the window moves towards it by the change of scale.
    const double ax = anchor.x() + window.scrollX();
    const double ay = anchor.y() + window.scrollY();
    const double cx = window.viewport()->width() / 2 + window.scrollX();
    const double cy = window.viewport()->height() / 2 + window.scrollY();
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = map;
    pixel.x = ax + (cx - ax) * before / after;
    pixel.y = ay + (cy - ay) * before / after;
    Coord centre{}; // the map's own coordinates, which stay put across zooms
    std::optional<Coord> target;
    if (window.TransformCoords(pixel, centre))
        target = centre;
    if (module != nullptr)
        module->SetZoom(after, target);
    else
        window.SetZoomFactor(after, target);
}

void MapNavigation::ZoomAboutMouse(TTolmWindow& window, double factor) {
    QWidget* client = window.viewport();
    QPoint anchor = client->mapFromGlobal(QCursor::pos());
    if (!client->rect().contains(anchor))
        anchor = QPoint(client->width() / 2, client->height() / 2);
    ZoomAbout(window, factor, anchor);
}

bool MapNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window) {
        if (event->type() == QEvent::KeyPress)
            return keyPress(static_cast<QKeyEvent*>(event));
        return false;
    }
    if (watched != m_viewport || m_replaying)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return mouse(static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        m_wheelRest += wheel->angleDelta().y();
        while (std::abs(m_wheelRest) >= WheelNotch) {
            const bool closer = m_wheelRest > 0;
            m_wheelRest += closer ? -WheelNotch : WheelNotch;
            ZoomAbout(m_window, closer ? ZoomStep : 1.0 / ZoomStep, wheel->position().toPoint());
        }
        wheel->accept();
        return true;
    }
    default:
        return false;
    }
}

bool MapNavigation::keyPress(QKeyEvent* event) {
    // With Ctrl, Alt or Shift the keys are left to whoever else wants them.
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QScrollBar* horizontal = m_window.horizontalScrollBar();
    QScrollBar* vertical = m_window.verticalScrollBar();
    // The bars' own actions: the view moves as with the bars, and the end of
    // the scroll is announced as with them.
    switch (event->key()) {
    case Qt::Key_Left:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    default:
        break;
    }
    // The key still reaches the window's listeners as a key message.
    return false;
}

bool MapNavigation::mouse(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Only a middle button pressed on its own may drag; it is held back
        // until it is clear whether the user drags or clicks.
        if (event->button() != Qt::MiddleButton || event->buttons() != Qt::MiddleButton)
            return false;
        m_drag = Drag::Pressed;
        m_pressPosition = position;
        m_pressScroll = QPoint(m_window.scrollX(), m_window.scrollY());
        m_pressWasDoubleClick = event->type() == QEvent::MouseButtonDblClick;
        m_pressModifiers = event->modifiers();
        m_window.setFocus(Qt::MouseFocusReason);
        return true;
    case QEvent::MouseMove:
        if (m_drag == Drag::None)
            return false;
        if (!(event->buttons() & Qt::MiddleButton)) {
            // The release went elsewhere.
            m_drag = Drag::None;
            return false;
        }
        if (m_drag == Drag::Pressed &&
            (position - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
            m_drag = Drag::Dragging;
        }
        if (m_drag == Drag::Dragging) {
            // The map follows the mouse; setting the slider positions acts
            // like moving the bars' sliders.
            const QPoint scroll = m_pressScroll - (position - m_pressPosition);
            m_window.horizontalScrollBar()->setSliderPosition(scroll.x());
            m_window.verticalScrollBar()->setSliderPosition(scroll.y());
        }
        // Mouse moves still reach the listeners (the position display).
        return false;
    case QEvent::MouseButtonRelease: {
        if (event->button() != Qt::MiddleButton || m_drag == Drag::None)
            return false;
        const Drag drag = m_drag;
        m_drag = Drag::None;
        if (drag == Drag::Dragging)
            return true;
        // A click without dragging: the map functions get it as it happened.
        m_replaying = true;
        QMouseEvent press(m_pressWasDoubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
                          QPointF(m_pressPosition), m_window.viewport()->mapToGlobal(QPointF(m_pressPosition)),
                          Qt::MiddleButton, Qt::MiddleButton, m_pressModifiers);
        QCoreApplication::sendEvent(m_window.viewport(), &press);
        QCoreApplication::sendEvent(m_window.viewport(), event);
        m_replaying = false;
        return true;
    }
    default:
        return false;
    }
}
