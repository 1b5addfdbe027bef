#include "PointRectFunction.h"

#include "DrawCoordTransformer.h"
#include "MapWindowModule.h"
#include "TolmWindow.h"
#include "velmar32.h"

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

// The map events carry no button state, so while capturing the function
// watches the mouse events of the captured control itself: a move that comes
// without the left button means the release was lost (it happened where the
// capture could not see it), and the gesture is abandoned.
class PointRectFunction::ButtonWatcher : public QObject {
public:
    bool leftDown = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            leftDown = (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton) != 0;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

namespace {

TTolmWindow* mapWindow() {
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->Window() : nullptr;
}

// The pixels of a line from a to b without its end point, as a range: the
// pen of the rubber band never touches the end point of a segment, so that
// the corners of the closed outline are inverted exactly once.
void spanWithoutEnd(int a, int b, int& low, int& high) {
    const int end = b > a ? b - 1 : b + 1;
    low = std::min(a, end);
    high = std::max(a, end);
}

} // namespace

PointRectFunction::PointRectFunction(MapEventListener* delegate) : MapFunction(delegate) {}

PointRectFunction::~PointRectFunction() {
    abandon();
}

bool PointRectFunction::Leave(MapFunction* next) {
    if (!MapFunction::Leave(next))
        return false;
    // Another function takes the mouse: the gesture ends without an action.
    abandon();
    return true;
}

void PointRectFunction::abandon() {
    if (m_mode == ModeRectangle && m_bandShown)
        drawBand();
    if (Capturing())
        m_mode = ModeCancelled;
    stopCapture();
}

namespace {

// The low 16 bits of a position as a signed value. Positions handed in by
// other code than the window's events may be any double, which a plain
// conversion to an integer could not take.
int lowShort(double v) {
    if (!std::isfinite(v))
        return 0;
    const auto low = static_cast<int64_t>(std::fmod(std::trunc(v), 65536.0));
    return static_cast<int16_t>(static_cast<uint16_t>(low & 0xFFFF));
}

} // namespace

bool PointRectFunction::RectBigEnough(const Rect& rect) const {
    return std::abs(rect.width()) >= 3 && std::abs(rect.height()) >= 3;
}

void PointRectFunction::Point(bool /*doubleClick*/) {
    PointAction();
}

bool PointRectFunction::clamp(const MapEventInfo& info, int& x, int& y) const {
    // Positions arrive as unsigned 16-bit values; as signed ones, points left
    // of or above the window become negative.
    x = lowShort(info.position.x);
    y = lowShort(info.position.y);
    int limitX = 0, limitY = 0;
    if (m_window) {
        limitX = m_window->viewport()->width();
        limitY = m_window->viewport()->height();
        // Right of and below a map smaller than the window there is nothing
        // to point at.
        int32_t size[2] = {0, 0};
        if (m_window->MapHandle() != 0 && TLM_GetSize(m_window->MapHandle(), size) != 0) {
            limitX = std::min(limitX, size[0]);
            limitY = std::min(limitY, size[1]);
        }
    }
    const int cx = std::clamp(x, 0, std::max(0, limitX - 1));
    const int cy = std::clamp(y, 0, std::max(0, limitY - 1));
    const bool unchanged = cx == x && cy == y;
    x = cx;
    y = cy;
    return unchanged;
}

void PointRectFunction::ButtonDown(MapEventInfo& info) {
    if (info.button != 0)
        return;
    if (info.doubleClick) {
        Point(true);
        return;
    }
    TTolmWindow* window = mapWindow();
    if (window == nullptr)
        return;
    // A press while a gesture runs (its release was lost): start afresh.
    abandon();
    m_window = window;
    m_bandShown = false;
    startCapture(window->viewport());
    int x = 0, y = 0;
    const bool inside = clamp(info, x, y);
    m_rect = Rect{x, y, x, y};
    m_mode = inside ? ModeClick : ModeCancelled;
}

void PointRectFunction::MouseMove(MapEventInfo& info) {
    if (!Capturing())
        return;
    if (m_watcher && m_watcher->leftDown) {
        track(info, true);
        return;
    }
    abandon();
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void PointRectFunction::ButtonUp(MapEventInfo& info) {
    // Only the left button starts a gesture, but any button released while
    // it runs ends it.
    if (!Capturing())
        return;
    track(info, false);
    // The capture ends before the action, so that an action that opens a
    // dialog or moves the view finds the mouse free.
    stopCapture();
    if (m_mode == ModeClick)
        Point(false);
    else if (m_mode == ModeRectangle)
        RectAction();
}

void PointRectFunction::track(MapEventInfo& info, bool redraw) {
    if (m_mode == ModeRectangle)
        drawBand();
    int x = 0, y = 0;
    clamp(info, x, y);
    m_rect.right = x;
    m_rect.bottom = y;
    if (RectBigEnough(m_rect))
        m_mode = RectsAllowed() ? ModeRectangle : ModeCancelled;
    else if (m_mode == ModeRectangle)
        m_mode = ModeCancelled;
    if (m_mode == ModeRectangle && redraw)
        drawBand();
}

void PointRectFunction::drawBand() {
    if (!m_window)
        return;
    // A window that changed its size started a fresh, empty layer: the band
    // shown is gone already, and drawing it again would leave it behind.
    if (m_bandShown && m_window->ForegroundLayer().size() != m_bandLayerSize) {
        m_bandShown = false;
        return;
    }
    DrawCoordTransformer::TolmWindowAutoDCT dct(m_window.data());
    QPainter* canvas = dct.Canvas();
    if (canvas == nullptr)
        return;
    m_bandShown = !m_bandShown;
    m_bandLayerSize = m_window->ForegroundLayer().size();
    canvas->setCompositionMode(QPainter::RasterOp_NotDestination);
    const QColor ink(Qt::black);
    const Rect& r = m_rect;
    int low = 0, high = 0;
    // left-top -> left-bottom -> right-bottom -> right-top -> left-top
    spanWithoutEnd(r.top, r.bottom, low, high);
    canvas->fillRect(QRect(QPoint(r.left, low), QPoint(r.left, high)), ink);
    spanWithoutEnd(r.left, r.right, low, high);
    canvas->fillRect(QRect(QPoint(low, r.bottom), QPoint(high, r.bottom)), ink);
    spanWithoutEnd(r.bottom, r.top, low, high);
    canvas->fillRect(QRect(QPoint(r.right, low), QPoint(r.right, high)), ink);
    spanWithoutEnd(r.right, r.left, low, high);
    canvas->fillRect(QRect(QPoint(low, r.top), QPoint(high, r.top)), ink);
    dct.Changed(QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                      QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom))));
}

void PointRectFunction::startCapture(QWidget* control) {
    m_capture = control;
    m_watcher = std::make_unique<ButtonWatcher>();
    control->installEventFilter(m_watcher.get());
    control->grabMouse();
}

void PointRectFunction::stopCapture() {
    if (m_capture) {
        m_capture->removeEventFilter(m_watcher.get());
        if (QWidget::mouseGrabber() == m_capture)
            m_capture->releaseMouse();
    }
    m_capture = nullptr;
    m_watcher.reset();
}
