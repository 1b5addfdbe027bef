#include "TolmWindow.h"

#include "Cp1252.h"
#include "PlatformDialogs.h"
#include "VirtualKey.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int LineStep = 16;
constexpr int32_t E_FAIL_STATUS = int32_t(0x80004005u);
constexpr uint32_t OptionBits = 0xF0;

// Windows message numbers the host hears besides the library's named ones.
constexpr uint32_t WM_SYSKEYDOWN = 0x104;
constexpr uint32_t WM_SYSKEYUP = 0x105;
constexpr uint32_t WM_SYSCHAR = 0x106;
constexpr uint32_t WM_MOUSEWHEEL = 0x20A;
constexpr uint32_t WM_XBUTTONDOWN = 0x20B;
constexpr uintptr_t MK_XBUTTON1 = 0x20;
constexpr uintptr_t MK_XBUTTON2 = 0x40;

uint32_t baseType(uint32_t type) {
    return type & ~OptionBits;
}

// The library's pixel, window and surface codes (0x8000 .. 0xFFFF). The
// coordinate library's 32-bit codes lie above and are never window-bound.
bool isWindowBound(uint32_t type) {
    const uint32_t t = baseType(type);
    return t >= TLM_COORD_MAP_PIXEL && t <= 0xFFFF;
}

// Client-relative types whose values count from the window's corner, not
// from the map's.
bool isClientRelative(uint32_t type) {
    return baseType(type) >= TLM_COORD_WINDOW_CLIENT && baseType(type) <= 0xFFFF;
}

using OverlayDrawFn = int32_t (*)(TLM_HANDLE, TLM_HDC, const TLM_RECT*, const TLM_RECT*, int32_t, int32_t, void*);

// Set up once by the first window: the library's window classes and the
// optional overlay plug-in.
struct ClassState {
    OverlayDrawFn overlayDraw = nullptr;

    ClassState() {
        TLM_Wnd_Init();
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/libTLM_Overlay.so");
        void* lib = dlopen(QFile::encodeName(beside).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            lib = dlopen("libTLM_Overlay.so", RTLD_NOW | RTLD_LOCAL);
        if (lib)
            overlayDraw = reinterpret_cast<OverlayDrawFn>(dlsym(lib, "TLM_Overlay_Draw"));
    }
};

ClassState& classState() {
    static ClassState state;
    return state;
}

uintptr_t keyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    uintptr_t state = 0;
    if (buttons & Qt::LeftButton)
        state |= TLM_MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= TLM_MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= TLM_MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= TLM_MK_CONTROL;
    if (buttons & Qt::MiddleButton)
        state |= TLM_MK_MBUTTON;
    if (buttons & Qt::XButton1)
        state |= MK_XBUTTON1;
    if (buttons & Qt::XButton2)
        state |= MK_XBUTTON2;
    return state;
}

// First message number of a button's down/up/double-click triple.
uint32_t buttonBase(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return TLM_WM_RBUTTONDOWN;
    case Qt::MiddleButton:
        return TLM_WM_MBUTTONDOWN;
    case Qt::XButton1:
    case Qt::XButton2:
        return WM_XBUTTONDOWN;
    default:
        return TLM_WM_LBUTTONDOWN;
    }
}

// One axis of a requested centre: the scroll position that puts map display
// pixel v in the middle of a client extent e over a scroll range r. Raises
// the shared edge flag to 2 when v is not on the map and to 1 when the view
// has to stop at an edge.
int centredScrollPosition(double v, int e, int r, int& flag) {
    int64_t p;
    if (!(v >= -0.5)) // also a NaN
        p = -1;
    else if (v > 2147483647.0)
        p = 2147483647;
    else
        p = int64_t(v);
    if (p < 0 || p >= r)
        flag = std::max(flag, 2);
    p -= e / 2;
    // A map smaller than the window stays at position 0: the largest
    // position is never negative.
    const int64_t largest = std::max(0, r - e);
    if (p < 0) {
        flag = std::max(flag, 1);
        return 0;
    }
    if (p > largest) {
        flag = std::max(flag, 1);
        return int(largest);
    }
    return int(p);
}

TLM_RECT toTlmRect(const QRect& r) {
    return TLM_RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

} // namespace

// ---- default paint strategy ----

TTolmWindow::TPaintStrategy::~TPaintStrategy() = default;

void TTolmWindow::TPaintStrategy::BeginStaticPaint(TTolmWindow& window, TPaintRecord& record) {
    auto& painter = window.m_defaultPainter;
    painter = std::make_unique<QPainter>(window.viewport());
    painter->setClipRect(record.rcPaint);
    record.painter = painter.get();
    record.hdc = TLM_AttachPainter(painter.get());
}

void TTolmWindow::TPaintStrategy::EndStaticPaint(TTolmWindow& window, TPaintRecord& record) {
    if (record.hdc)
        TLM_DetachPainter(record.hdc);
    record.hdc = 0;
    if (record.painter == window.m_defaultPainter.get())
        window.m_defaultPainter.reset();
    record.painter = nullptr;
}

void TTolmWindow::TPaintStrategy::DynamicPaintAll(TTolmWindow&) {}

bool TTolmWindow::TPaintStrategy::PaintFromBuffer(TTolmWindow&, QPainter&, const QRegion&) {
    return false;
}

bool TTolmWindow::TPaintStrategy::ScrollsOnScreen(const TTolmWindow&) const {
    return true;
}

// ---- window ----

TTolmWindow::TTolmWindow(QWidget* parent) : QAbstractScrollArea(parent) {
    classState();
    m_strategy = std::make_unique<TPaintStrategy>();
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel of the viewport is painted by the map or the background
    // fill, so Qt need not erase it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        const Qt::Orientation orientation = bar->orientation();
        bar->setSingleStep(LineStep);
        bar->installEventFilter(this);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, orientation](int) {
            const int axis = orientation == Qt::Horizontal ? 0 : 1;
            // The user moved the view: from now on it stays where it was put.
            m_centreOnResize = false;
            if (m_endScrollPending[axis])
                return;
            m_endScrollPending[axis] = true;
            // A pressed button ends the scroll on its release; anything else
            // (wheel, keys, a programmatic action) ends once the step is done.
            if (!bar->isSliderDown() && !m_barPressed[axis])
                QTimer::singleShot(0, this, [this, orientation] { endScroll(orientation); });
        });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, orientation] { endScroll(orientation); });
    }
}

TTolmWindow::~TTolmWindow() = default;

// A button pressed on a bar (arrow, page area, slider) may repeat its action
// until it is released; the scroll ends with the release.
bool TTolmWindow::eventFilter(QObject* watched, QEvent* event) {
    const int axis = watched == horizontalScrollBar() ? 0 : watched == verticalScrollBar() ? 1 : -1;
    if (axis >= 0) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            m_barPressed[axis] = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_barPressed[axis] = false;
            if (m_endScrollPending[axis]) {
                const Qt::Orientation orientation = axis == 0 ? Qt::Horizontal : Qt::Vertical;
                QTimer::singleShot(0, this, [this, orientation] { endScroll(orientation); });
            }
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TTolmWindow::endScroll(Qt::Orientation orientation) {
    const int axis = orientation == Qt::Horizontal ? 0 : 1;
    if (!m_endScrollPending[axis])
        return;
    m_endScrollPending[axis] = false;
    TMessage message;
    message.Msg = orientation == Qt::Horizontal ? TLM_WM_HSCROLL : TLM_WM_VSCROLL;
    message.WParam = TLM_SB_ENDSCROLL;
    raiseMessage(message);
    DoNotify(NotifyMoved);
}

double TTolmWindow::ZoomFactor() const {
    double zoom = 1.0;
    if (!m_map || !TLM_GetZoomFactor(m_map, &zoom))
        return 1.0;
    return zoom;
}

int TTolmWindow::DimmerValue() const {
    return m_map ? TLM_GetDimmer(m_map) : 255;
}

void TTolmWindow::setDimmerValue(int value) {
    if (!m_map)
        return;
    if (TLM_SetDimmer(m_map, std::clamp(value, 0, 255)))
        viewport()->update();
}

int TTolmWindow::scrollX() const {
    return horizontalScrollBar()->value();
}

int TTolmWindow::scrollY() const {
    return verticalScrollBar()->value();
}

// ---- maps ----

void TTolmWindow::SetMap(const QString& path, double zoom, const std::optional<Coord>& centre) {
    if (centre)
        m_centre = *centre;
    if (zoom != 0.0)
        m_zoom = zoom;
    openPath(path);
}

void TTolmWindow::SetPathName(const QString& path, bool keepCentre) {
    bool kept = false;
    if (keepCentre) {
        Coord centre{};
        // A centre bound to this map's pixels or to this window would mean
        // nothing once the next map is open: keep it in the map's own
        // coordinates instead.
        if (!isWindowBound(m_centre.type)) {
            centre.type = m_centre.type;
            centre.zone = m_centre.zone;
        }
        kept = GetCenterPos(centre);
        if (kept)
            m_centre = centre;
    }
    if (!kept)
        m_centre = Coord{};
    SetMap(path, m_zoom, std::nullopt);
}

void TTolmWindow::openPath(const QString& path) {
    if (!path.isEmpty()) {
        const TLM_HANDLE handle = TLM_Open(QFile::encodeName(path).constData());
        if (!handle)
            return;
        if (m_map)
            TLM_Close(m_map);
        m_map = handle;
    } else if (m_map) {
        TLM_Close(m_map);
        m_map = 0;
    }
    m_pathName = path;
    if (m_map) {
        double zoom = m_zoom;
        TLM_SetZoomFactor(m_map, &zoom);
    }
    RecalcScrollBars();
    DoNotify(NotifyMapChanged);
}

// ---- positions ----

bool TTolmWindow::GetPos(Coord& out, int alignment) const {
    if (!m_map)
        return false;
    const int horizontal = alignment & 3;
    const int vertical = (alignment >> 2) & 3;
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_map;
    pixel.x = viewport()->width() * horizontal / 2 + scrollX();
    pixel.y = viewport()->height() * vertical / 2 + scrollY();
    return TransformCoords(pixel, out);
}

void TTolmWindow::SetCenterPos(const Coord& position, const EdgeCallback& onEdge) {
    if (!m_map)
        return;
    m_centre = position;
    if (!isVisible())
        m_centreOnResize = true;
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_map;
    if (TransformCoordsEx(position, pixel) < 0)
        return;
    int flag = 0;
    const int x = centredScrollPosition(pixel.x, viewport()->width(), m_range.width(), flag);
    const int y = centredScrollPosition(pixel.y, viewport()->height(), m_range.height(), flag);
    if (flag != 0 && onEdge && !onEdge(flag))
        return;
    if (x != scrollX() || y != scrollY()) {
        setScrollPositions(x, y);
        DoNotify(NotifyMoved);
    }
}

void TTolmWindow::SetZoomFactor(double zoom, const std::optional<Coord>& centre) {
    m_zoom = zoom;
    if (centre)
        m_centre = *centre;
    if (!m_map || zoom == ZoomFactor()) {
        if (centre)
            SetCenterPos(*centre);
        return;
    }
    // The point to keep in the middle, in the map's own coordinates, which do
    // not change with the zoom.
    std::optional<Coord> point;
    Coord own{};
    // A picture without georeference has no such coordinates: its display
    // pixel is carried over to the new zoom instead.
    Coord pixel{TLM_COORD_MAP_PIXEL, m_map};
    bool pixelOnly = false;
    const double before = ZoomFactor();
    if (centre ? TransformCoords(*centre, own) : GetCenterPos(own))
        point = own;
    else
        pixelOnly = centre ? TransformCoords(*centre, pixel) : GetCenterPos(pixel);
    double effective = zoom;
    TLM_SetZoomFactor(m_map, &effective);
    if (pixelOnly && before > 0.0) {
        const double factor = ZoomFactor() / before;
        pixel.x *= factor;
        pixel.y *= factor;
        point = pixel;
    }
    RecalcScrollBars();
    if (point) {
        SuspendNotification();
        SetCenterPos(*point);
        ResumeNotification();
    }
    DoNotify(NotifyZoomed);
}

int32_t TTolmWindow::TransformCoordsEx(const Coord& from, Coord& to) const {
    Coord source = from;
    if (source.zone == 0 && isWindowBound(source.type)) {
        if (!m_map)
            return E_FAIL_STATUS;
        const bool relative = isClientRelative(source.type);
        source.type = TLM_COORD_MAP_PIXEL | (source.type & OptionBits);
        source.zone = m_map;
        if (relative) {
            source.x += scrollX();
            source.y += scrollY();
        }
    }
    if (to.zone == 0 && isWindowBound(to.type)) {
        if (!m_map)
            return E_FAIL_STATUS;
        Coord pixel{};
        pixel.type = TLM_COORD_MAP_PIXEL | (to.type & OptionBits);
        pixel.zone = m_map;
        const int32_t status = TLM_TransformCoordsEx(&source, &pixel);
        if (status >= 0) {
            to.x = pixel.x;
            to.y = pixel.y;
            if (isClientRelative(to.type)) {
                to.x -= scrollX();
                to.y -= scrollY();
            }
        }
        return status;
    }
    return TLM_TransformCoordsEx(&source, &to);
}

// ---- scroll bars ----

void TTolmWindow::updateScrollRanges() {
    const QSize client = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setPageStep(std::max(1, client.width()));
    v->setPageStep(std::max(1, client.height()));
    h->setRange(0, std::max(0, m_range.width() - client.width()));
    v->setRange(0, std::max(0, m_range.height() - client.height()));
}

void TTolmWindow::setScrollPositions(int x, int y) {
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void TTolmWindow::RecalcScrollBars() {
    int32_t size[2] = {0, 0};
    if (!m_map || !TLM_GetSize(m_map, size))
        size[0] = size[1] = 0;
    m_range = QSize(std::max(0, size[0]), std::max(0, size[1]));
    updateScrollRanges();
    // Qt shows or hides the bars only later; the centre below needs the
    // client extent they leave, so lay them out now.
    if (isVisible()) {
        setHorizontalScrollBarPolicy(horizontalScrollBarPolicy());
        updateScrollRanges();
    }
    if (m_map && m_centre.type != 0) {
        if (!isVisible())
            m_centreOnResize = true;
        Coord pixel{};
        pixel.type = TLM_COORD_MAP_PIXEL;
        pixel.zone = m_map;
        if (TransformCoordsEx(m_centre, pixel) == 0) {
            const QSize client = viewport()->size();
            const auto axis = [](double v, int extent, int range) {
                const double p = std::floor(v - extent * 0.5 + 0.5);
                const double largest = std::max(0, range - extent);
                return int(std::clamp(std::isfinite(p) ? p : 0.0, 0.0, largest));
            };
            setScrollPositions(axis(pixel.x, client.width(), m_range.width()),
                               axis(pixel.y, client.height(), m_range.height()));
        }
    }
    viewport()->update();
}

void TTolmWindow::SuspendNotification() {
    ++m_suspend;
}

void TTolmWindow::ResumeNotification() {
    if (m_suspend > 0)
        --m_suspend;
}

void TTolmWindow::DoNotify(int level) {
    m_lastScrollX = scrollX();
    m_lastScrollY = scrollY();
    if (m_suspend == 0 && OnNotify)
        OnNotify(this, level);
}

// ---- dialogs ----

bool TTolmWindow::AskDimmer(QWidget* owner) {
    if (!m_map || !TLM_AskDimmer(m_map, owner))
        return false;
    viewport()->update();
    return true;
}

bool TTolmWindow::AskLayerActivation(QWidget* owner) {
    if (!m_map || !TLM_AskLayerActivation(m_map, owner))
        return false;
    viewport()->update();
    return true;
}

bool TTolmWindow::QueryAskLayerActivation(QWidget*) const {
    return true;
}

void TTolmWindow::setOverlay(void* overlay) {
    m_overlay = overlay;
    viewport()->update();
}

std::unique_ptr<TTolmWindow::TPaintStrategy> TTolmWindow::setPaintStrategy(std::unique_ptr<TPaintStrategy> strategy) {
    if (!strategy)
        strategy = std::make_unique<TPaintStrategy>();
    std::swap(strategy, m_strategy);
    viewport()->update();
    return strategy;
}

// ---- foreground layer ----

QImage& TTolmWindow::ForegroundLayer() {
    const QSize client = viewport()->size().expandedTo(QSize(1, 1));
    if (m_foreground.size() != client) {
        m_foreground = QImage(client, QImage::Format_ARGB32_Premultiplied);
        m_foreground.fill(Qt::transparent);
    }
    m_foregroundUsed = true;
    return m_foreground;
}

void TTolmWindow::UpdateForeground(const QRect& area) {
    viewport()->update(area & viewport()->rect());
}

bool TTolmWindow::foregroundEmpty() {
    if (!m_foregroundUsed || m_foreground.isNull())
        return true;
    for (int y = 0; y < m_foreground.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(m_foreground.constScanLine(y));
        for (int x = 0; x < m_foreground.width(); ++x)
            if (row[x] != 0)
                return false;
    }
    m_foregroundUsed = false;
    return true;
}

void TTolmWindow::paintForeground(const QRegion& region) {
    if (foregroundEmpty())
        return;
    QPainter painter(viewport());
    painter.setClipRegion(region);
    // Where the layer is set (all bits), the window's pixels are inverted.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(0, 0, m_foreground);
}

// ---- events ----

void TTolmWindow::paintEvent(QPaintEvent* event) {
    m_inPaint = true;
    m_lastScrollX = scrollX();
    m_lastScrollY = scrollY();
    {
        QPainter buffer(viewport());
        if (m_strategy->PaintFromBuffer(*this, buffer, event->region())) {
            buffer.end();
            paintForeground(event->region());
            m_inPaint = false;
            return;
        }
    }
    TPaintRecord record;
    record.rcPaint = event->rect() & viewport()->rect();
    record.erase = true;
    m_strategy->BeginStaticPaint(*this, record);
    if (record.painter) {
        QPainter& painter = *record.painter;
        const QRect area = record.rcPaint;
        const QRect client = viewport()->rect();
        // Right of and below the map the window shows its background.
        const QBrush background = viewport()->palette().brush(viewport()->backgroundRole());
        const int mapRight = m_range.width() - m_lastScrollX;
        const int mapBottom = m_range.height() - m_lastScrollY;
        if (area.right() >= mapRight)
            painter.fillRect(QRect(QPoint(std::max(mapRight, area.left()), area.top()), area.bottomRight()),
                             background);
        if (area.bottom() >= mapBottom)
            painter.fillRect(QRect(QPoint(area.left(), std::max(mapBottom, area.top())), area.bottomRight()),
                             background);
        const TLM_RECT target = toTlmRect(client);
        OverlayDrawFn overlayDraw = classState().overlayDraw;
        if (m_overlay && overlayDraw) {
            overlayDraw(m_map, record.hdc, &target, nullptr, m_lastScrollX, m_lastScrollY, m_overlay);
        } else if (m_map) {
            // The painter clips to the paint area anyway; handing that area
            // to the library spares it the tiles nobody sees.
            const TLM_RECT clip = toTlmRect(area);
            TLM_Draw(m_map, record.hdc, &target, &clip, m_lastScrollX, m_lastScrollY);
        }
        if (OnPaint)
            OnPaint(this, record);
    }
    m_strategy->EndStaticPaint(*this, record);
    m_strategy->DynamicPaintAll(*this);
    paintForeground(event->region());
    m_inPaint = false;
}

void TTolmWindow::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!m_foreground.isNull() && m_foreground.size() != viewport()->size().expandedTo(QSize(1, 1))) {
        m_foreground = QImage();
        m_foregroundUsed = false;
    }
    updateScrollRanges();
    // A window point means nothing after the view moved; only places in the
    // map's or a coordinate system's terms are centred again.
    if (m_centreOnResize && m_map && m_centre.type != 0 && !isWindowBound(m_centre.type)) {
        // The bars the new ranges need must be in place before the client
        // extent is taken.
        setHorizontalScrollBarPolicy(horizontalScrollBarPolicy());
        updateScrollRanges();
        SetCenterPos(m_centre);
    }
}

void TTolmWindow::scrollContentsBy(int dx, int dy) {
    // The picture on screen moves and only the uncovered strip is painted,
    // unless the foreground layer, which stays with the window, shows, or
    // the strategy keeps a picture of its own.
    if (foregroundEmpty() && m_strategy->ScrollsOnScreen(*this))
        viewport()->scroll(dx, dy);
    else
        viewport()->update();
}

bool TTolmWindow::viewportEvent(QEvent* event) {
    const bool result = QAbstractScrollArea::viewportEvent(event);
    TMessage message;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint();
        if (event->type() == QEvent::MouseMove) {
            message.Msg = TLM_WM_MOUSEMOVE;
        } else {
            message.Msg = buttonBase(mouse->button());
            if (event->type() == QEvent::MouseButtonRelease)
                message.Msg += 1;
            else if (event->type() == QEvent::MouseButtonDblClick)
                message.Msg += 2;
            if (event->type() == QEvent::MouseButtonPress) {
                setFocus(Qt::MouseFocusReason);
                m_centreOnResize = false;
            }
        }
        message.WParam = keyState(mouse->buttons(), mouse->modifiers());
        if (message.Msg >= WM_XBUTTONDOWN)
            message.WParam |= uintptr_t(mouse->button() == Qt::XButton2 ? 2 : 1) << 16;
        message.LParam = packMousePosition(p.x(), p.y());
        raiseMessage(message);
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint global = wheel->globalPosition().toPoint();
        const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        message.Msg = WM_MOUSEWHEEL;
        message.WParam = keyState(wheel->buttons(), wheel->modifiers()) | (uintptr_t(uint16_t(int16_t(delta))) << 16);
        message.LParam = packMousePosition(global.x(), global.y());
        raiseMessage(message);
        return result;
    }
    default:
        return result;
    }
}

void TTolmWindow::keyPressEvent(QKeyEvent* event) {
    // Keys do not scroll the map: the host decides what they mean.
    const bool alt = event->modifiers() & Qt::AltModifier;
    const intptr_t repeat = event->isAutoRepeat() ? intptr_t(1) << 30 : 0;
    TMessage down;
    down.Msg = alt ? WM_SYSKEYDOWN : uint32_t(TLM_WM_KEYDOWN);
    down.WParam = virtualKeyOf(event->key());
    down.LParam = 1 | repeat | (alt ? intptr_t(1) << 29 : 0);
    raiseMessage(down);
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).unicode() != 0x7F) {
        const std::string bytes = Cp1252::encode(text.left(1));
        if (!bytes.empty()) {
            TMessage character;
            character.Msg = alt ? WM_SYSCHAR : uint32_t(TLM_WM_CHAR);
            character.WParam = uint8_t(bytes[0]);
            character.LParam = down.LParam;
            raiseMessage(character);
        }
    }
    event->accept();
}

void TTolmWindow::keyReleaseEvent(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    TMessage up;
    up.Msg = alt ? WM_SYSKEYUP : uint32_t(TLM_WM_KEYUP);
    up.WParam = virtualKeyOf(event->key());
    up.LParam = intptr_t(0xC0000001u);
    raiseMessage(up);
    event->accept();
}

void TTolmWindow::raiseMessage(TMessage& message) {
    if (OnMessage)
        OnMessage(this, message);
}

// ---- colour selector ----

namespace {
// The custom colours of the one colour dialog all selectors share start as
// "ColorA=FFFFFF" .. "ColorP=FFFFFF": sixteen times white.
void setUpSharedColorDialog() {
    static bool done = false;
    if (done)
        return;
    done = true;
    for (char letter = 'A'; letter <= 'P'; ++letter) {
        const QString entry = QStringLiteral("Color%1=FFFFFF").arg(QChar(letter));
        // The value is a Windows colour (blue, green, red from the top byte down).
        const uint bgr = entry.section(QLatin1Char('='), 1).toUInt(nullptr, 16);
        const QColor colour(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
        QColorDialog::setCustomColor(letter - 'A', colour);
    }
}
} // namespace

TTolmColorSelector::TTolmColorSelector(QWidget* parent) : QWidget(parent) {
    setUpSharedColorDialog();
    setAutoFillBackground(true);
}

void TTolmColorSelector::setEnabledState(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    update();
}

void TTolmColorSelector::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QList<QColor> TTolmColorSelector::CustomColors() {
    setUpSharedColorDialog();
    QList<QColor> colours;
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        colours.append(QColorDialog::customColor(i));
    return colours;
}

void TTolmColorSelector::paintEvent(QPaintEvent*) {
    if (!m_enabled)
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TTolmColorSelector::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!m_enabled || event->button() != Qt::LeftButton)
        return;
    setUpSharedColorDialog();
    const std::optional<QColor> chosen = Platform::dialogs().chooseColor(this, m_color);
    if (!chosen || !chosen->isValid())
        return;
    setColor(*chosen);
    if (OnChange)
        OnChange(this);
}
