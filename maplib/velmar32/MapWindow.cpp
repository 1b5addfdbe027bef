#include "MapWindow.h"

#include "LibraryState.h"

#include "Cp1252.h"
#include "PaletteGroup.h"
#include "TransformCoords.h"
#include "VirtualKey.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace Velmar32 {

// All map windows below one top-level window share one palette.
struct WindowGroup {
    QWidget* top = nullptr;
    std::shared_ptr<PaletteGroup> palette = std::make_shared<PaletteGroup>();
    std::vector<MapWindow*> windows;
};

namespace {

std::map<QWidget*, std::weak_ptr<WindowGroup>>& groups() {
    static std::map<QWidget*, std::weak_ptr<WindowGroup>> all;
    return all;
}

constexpr int LineStep = 16;
constexpr int MaxScrollRange = 32767;

// Mouse key state bits of the Windows mouse messages.
uintptr_t keyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    uintptr_t state = 0;
    if (buttons & Qt::LeftButton)
        state |= 0x01;
    if (buttons & Qt::RightButton)
        state |= 0x02;
    if (modifiers & Qt::ShiftModifier)
        state |= 0x04;
    if (modifiers & Qt::ControlModifier)
        state |= 0x08;
    if (buttons & Qt::MiddleButton)
        state |= 0x10;
    return state;
}

intptr_t packPoint(int x, int y) {
    return intptr_t((uint32_t(uint16_t(y)) << 16) | uint16_t(x));
}

void showError(QWidget* owner, const QString& text) {
    const std::string bytes = Cp1252::encode(text);
    messageBox(owner, bytes.c_str(), "Fehler!", TLM_MB_ICONERROR);
}

} // namespace

MapWindow::MapWindow(Kind kind, QWidget* parent, uint32_t style) : QWidget(parent), m_kind(kind), m_flags(style) {
    m_id = library().windows.add(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar->hide();
    m_vbar->hide();
    connectBar(m_hbar, Qt::Horizontal);
    connectBar(m_vbar, Qt::Vertical);
    m_client = rect();
}

MapWindow* MapWindow::create(const char* className, QWidget* parent, uint32_t style, const void* createParams) {
    if (!className)
        return nullptr;
    Kind kind;
    if (std::strcmp(className, "TolmMfcWindow") == 0)
        kind = Kind::Mfc;
    else if (std::strcmp(className, "TolmGraphicWindow") == 0)
        kind = Kind::Graphic;
    else if (std::strcmp(className, "TolmHelpWindow") == 0)
        kind = Kind::Help;
    else
        return nullptr;
    auto* window = new MapWindow(kind, parent, style);
    if (kind == Kind::Graphic)
        window->m_callback = reinterpret_cast<TLM_HostCallback>(const_cast<void*>(createParams));
    TLM_CREATESTRUCT cs{createParams, parent, className, style, 0, 0, window->width(), window->height()};
    window->callHost(TLM_WM_NCCREATE, 0, reinterpret_cast<intptr_t>(&cs));
    if (kind == Kind::Help && createParams)
        window->initHelpWindow(static_cast<const TLM_HELPCREATE*>(createParams));
    return window;
}

MapWindow::~MapWindow() {
    m_destroying = true;
    callHost(TLM_WM_DESTROY, 0, 0);
    m_callback = nullptr;
    if (m_hostSurface)
        m_hostSurface->unbind();
    m_dcSurface.reset();
    m_dcPainter.reset();
    TLM_Close(m_mapId);
    m_mapId = 0;
    leaveGroup();
    library().windows.remove(m_id);
}

LibMap* MapWindow::map() const {
    return findMap(m_mapId);
}

uint32_t MapWindow::mapId() const {
    return map() ? m_mapId : 0;
}

intptr_t MapWindow::callHost(uint32_t message, uintptr_t wParam, intptr_t lParam, bool* handled) {
    if (handled)
        *handled = false;
    if (!m_callback)
        return 0;
    m_result = 0;
    const int32_t took = m_callback(m_id, message, wParam, lParam);
    if (handled)
        *handled = took != 0;
    return took ? m_result : 0;
}

// ---- the help window ----

void MapWindow::initHelpWindow(const TLM_HELPCREATE* create) {
    if (!create->spec)
        return;
    const char* spec = create->spec;
    const char* hash = std::strchr(spec, '#');
    if (!hash)
        return;
    std::string name(spec, hash);
    double x = 0, y = 0;
    int w = 0, h = 0;
    if (std::sscanf(hash + 1, "%lf#%lf#%d#%d", &x, &y, &w, &h) != 4)
        return;
    move(0, 0);
    resize(std::max(w, 0), std::max(h, 0));
    for (char& c : name)
        if (c == '\\')
            c = '/';
    const bool absolute = (!name.empty() && name[0] == '/') || (name.size() > 1 && name[1] == ':');
    if (!absolute && create->basePath) {
        std::string base = create->basePath;
        for (char& c : base)
            if (c == '\\')
                c = '/';
        const size_t slash = base.rfind('/');
        name = (slash == std::string::npos ? std::string() : base.substr(0, slash + 1)) + name;
    }
    if (openFile(name.c_str()) != 1)
        return;
    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_mapId;
    pixel.x = x;
    pixel.y = y;
    setPos(pixel, 0);
}

// ---- window groups ----

void MapWindow::joinGroup() {
    QWidget* top = window();
    if (m_group && m_group->top == top)
        return;
    leaveGroup();
    std::shared_ptr<WindowGroup> group = groups()[top].lock();
    if (!group) {
        group = std::make_shared<WindowGroup>();
        group->top = top;
        groups()[top] = group;
    }
    group->windows.push_back(this);
    m_group = group;
}

void MapWindow::leaveGroup() {
    if (!m_group)
        return;
    auto& windows = m_group->windows;
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (windows.empty())
        groups().erase(m_group->top);
    m_group.reset();
}

std::shared_ptr<PaletteGroup> MapWindow::groupPalette() {
    joinGroup();
    return m_group->palette;
}

void MapWindow::repaintGroup() {
    if (!m_group) {
        update();
        return;
    }
    for (MapWindow* w : m_group->windows)
        w->update();
}

// ---- maps ----

int32_t MapWindow::openFile(const char* path) {
    const TLM_HANDLE opened = TLM_Open(path);
    LibMap* fresh = findMap(opened);
    if (!fresh) {
        showError(this, QStringLiteral("Fehler beim Laden der TLM-Datei!"));
        return 0;
    }
    if (m_maxSize && (fresh->handle().width() > m_maxSize->width() || fresh->handle().height() > m_maxSize->height())) {
        TLM_Close(opened);
        showError(this, QStringLiteral("Grafik zu groß!"));
        return 0;
    }
    // Joining a group only adds the handle to a list here; the message for a
    // group that cannot be set up stays for hosts that know it.
    std::shared_ptr<PaletteGroup> palette = groupPalette();
    if (!palette) {
        TLM_Close(opened);
        showError(this, QStringLiteral("Fehler beim Einrichten der Grafik!"));
        return 0;
    }
    TLM_Close(m_mapId);
    m_mapId = opened;
    fresh->handle().joinGroup(palette);
    palette->rebuild();
    fresh->handle().newPalette(this, false);
    repaintGroup();
    setMenuItemsEnabled(true);
    m_drawn = m_requested = QPoint(0, 0);
    recomputeScrollBars();
    update();
    callHost(TLM_WM_COMMAND, TLM_CMD_OPEN, reinterpret_cast<intptr_t>(path));
    return 1;
}

int32_t MapWindow::closeFile(bool closingWindow) {
    if (!map())
        return 1;
    bool veto = false;
    callHost(TLM_WM_COMMAND, TLM_NOTIFY_CLOSING, closingWindow ? 1 : 0, &veto);
    if (veto)
        return 0;
    TLM_Close(m_mapId);
    m_mapId = 0;
    if (m_group)
        m_group->palette->rebuild();
    setMenuItemsEnabled(false);
    m_drawn = m_requested = QPoint(0, 0);
    recomputeScrollBars();
    update();
    callHost(TLM_WM_COMMAND, TLM_NOTIFY_CLOSED, closingWindow ? 1 : 0);
    return 1;
}

void MapWindow::setMenuItemsEnabled(bool enabled) {
    // Host menu items that stand for the window's commands carry the command
    // id in the dynamic property "tlmCommand".
    for (QAction* action : window()->findChildren<QAction*>()) {
        const QVariant command = action->property("tlmCommand");
        if (!command.isValid())
            continue;
        const int id = command.toInt();
        if (id == TLM_CMD_CLOSE || id == TLM_CMD_LAYERS || id == TLM_CMD_DIMMER)
            action->setEnabled(enabled);
    }
}

void MapWindow::setMaxSize(const int32_t* size) {
    if (size)
        m_maxSize = QSize(size[0], size[1]);
    else
        m_maxSize.reset();
}

void MapWindow::mapChanged(bool erase) {
    (void)erase; // the window's picture is always drawn whole; nothing shows through
    recomputeScrollBars();
    update();
}

// ---- scroll bars and position ----

void MapWindow::recomputeScrollBars() {
    const int w = width();
    const int h = height();
    LibMap* m = map();
    const int64_t mw = m ? m->handle().width() : 0;
    const int64_t mh = m ? m->handle().height() : 0;
    const int barW = m_vbar->sizeHint().width();
    const int barH = m_hbar->sizeHint().height();
    bool showH = false;
    bool showV = false;
    int cw = w;
    int ch = h;
    // A bar takes room from the other direction, which may call for the other bar.
    for (int i = 0; i < 3; ++i) {
        const bool needH = (m_flags & TLM_WS_HSCROLL) && mw > cw;
        const bool needV = (m_flags & TLM_WS_VSCROLL) && mh > ch;
        cw = w - (needV ? barW : 0);
        ch = h - (needH ? barH : 0);
        if (needH == showH && needV == showV)
            break;
        showH = needH;
        showV = needV;
    }
    cw = std::max(cw, 0);
    ch = std::max(ch, 0);
    m_client = QRect(0, 0, cw, ch);
    m_maxOrigin =
        QPoint(int(std::clamp<int64_t>(mw - cw, 0, INT32_MAX)), int(std::clamp<int64_t>(mh - ch, 0, INT32_MAX)));
    for (int axis = 0; axis < 2; ++axis) {
        int shift = 0;
        const int range = axis == 0 ? m_maxOrigin.x() : m_maxOrigin.y();
        while ((range >> shift) > MaxScrollRange)
            ++shift;
        m_shift[axis] = shift;
    }
    m_hbar->setVisible(showH);
    m_vbar->setVisible(showV);
    m_hbar->setGeometry(0, ch, cw, barH);
    m_vbar->setGeometry(cw, 0, barW, ch);
    m_drawn = QPoint(std::clamp(m_drawn.x(), 0, m_maxOrigin.x()), std::clamp(m_drawn.y(), 0, m_maxOrigin.y()));
    m_requested = m_drawn;
    updateBars();
}

void MapWindow::updateBars() {
    const QSignalBlocker blockH(m_hbar);
    const QSignalBlocker blockV(m_vbar);
    m_hbar->setRange(0, m_maxOrigin.x() >> m_shift[0]);
    m_hbar->setPageStep(std::max(1, (m_client.width() * 3 / 4) >> m_shift[0]));
    m_hbar->setSingleStep(std::max(1, LineStep >> m_shift[0]));
    m_hbar->setValue(m_requested.x() >> m_shift[0]);
    m_vbar->setRange(0, m_maxOrigin.y() >> m_shift[1]);
    m_vbar->setPageStep(std::max(1, (m_client.height() * 3 / 4) >> m_shift[1]));
    m_vbar->setSingleStep(std::max(1, LineStep >> m_shift[1]));
    m_vbar->setValue(m_requested.y() >> m_shift[1]);
}

void MapWindow::connectBar(QScrollBar* bar, Qt::Orientation orientation) {
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar, orientation](int action) {
        int code = -1;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = TLM_SB_LINEUP;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = TLM_SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = TLM_SB_PAGEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = TLM_SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = TLM_SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = TLM_SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            scrollCode(orientation, TLM_SB_THUMBTRACK, bar->sliderPosition());
            return;
        default:
            return;
        }
        scrollCode(orientation, code);
        scrollCode(orientation, TLM_SB_ENDSCROLL);
        // The bar moves to where the window put it, not where the click would.
        const int axis = orientation == Qt::Horizontal ? 0 : 1;
        const int pos = axis == 0 ? m_requested.x() : m_requested.y();
        bar->setSliderPosition(pos >> m_shift[axis]);
    });
    connect(bar, &QScrollBar::sliderReleased, this, [this, bar, orientation] {
        scrollCode(orientation, TLM_SB_THUMBPOSITION, bar->sliderPosition());
        scrollCode(orientation, TLM_SB_ENDSCROLL);
    });
}

void MapWindow::scrollCode(Qt::Orientation orientation, int code, int thumb) {
    const bool horizontal = orientation == Qt::Horizontal;
    const int axis = horizontal ? 0 : 1;
    const int extent = horizontal ? m_client.width() : m_client.height();
    const int largest = horizontal ? m_maxOrigin.x() : m_maxOrigin.y();
    int64_t pos = horizontal ? m_requested.x() : m_requested.y();
    switch (code) {
    case TLM_SB_LINEUP:
        pos = pos <= LineStep ? 0 : pos - LineStep;
        break;
    case TLM_SB_LINEDOWN:
        pos += LineStep;
        break;
    case TLM_SB_PAGEUP:
        pos = std::max<int64_t>(0, pos - extent * 3 / 4);
        break;
    case TLM_SB_PAGEDOWN:
        pos += extent * 3 / 4;
        break;
    case TLM_SB_THUMBPOSITION:
        pos = int64_t(thumb) << m_shift[axis];
        break;
    case TLM_SB_TOP:
        pos = 0;
        break;
    case TLM_SB_BOTTOM:
        pos = largest;
        break;
    case TLM_SB_ENDSCROLL:
        moveTo(m_requested);
        break;
    case TLM_SB_THUMBTRACK: // dragging the thumb does not scroll
        callHost(horizontal ? TLM_WM_HSCROLL : TLM_WM_VSCROLL, uintptr_t(code) | uintptr_t(thumb & 0xFFFF) << 16, 0);
        return;
    default:
        break;
    }
    pos = std::clamp<int64_t>(pos, 0, largest);
    if (horizontal)
        m_requested.setX(int(pos));
    else
        m_requested.setY(int(pos));
    updateBars();
    const uintptr_t shown = uintptr_t(pos >> m_shift[axis]);
    callHost(horizontal ? TLM_WM_HSCROLL : TLM_WM_VSCROLL, uintptr_t(code & 0xFFFF) | (shown & 0xFFFF) << 16, 0);
}

void MapWindow::moveTo(QPoint origin) {
    origin = QPoint(std::clamp(origin.x(), 0, m_maxOrigin.x()), std::clamp(origin.y(), 0, m_maxOrigin.y()));
    m_requested = origin;
    if (origin != m_drawn) {
        m_drawn = origin;
        update();
    }
    updateBars();
}

int32_t MapWindow::setPos(const Coord& position, int32_t alignment) {
    LibMap* m = map();
    if (!m)
        return 0;
    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_mapId;
    if (TLM_TransformCoords(&position, &pixel) != 1)
        return 0;
    const double px = std::floor(pixel.x + 0.5);
    const double py = std::floor(pixel.y + 0.5);
    if (!(px >= 0 && py >= 0 && px < m->handle().width() && py < m->handle().height()))
        return 0;
    int64_t ox = int64_t(px);
    int64_t oy = int64_t(py);
    const int h = (alignment >> 2) & 3;
    const int v = alignment & 3;
    if (h == 1)
        ox -= m_client.width() / 2;
    else if (h == 2)
        ox -= m_client.width();
    if (v == 1)
        oy -= m_client.height() / 2;
    else if (v == 2)
        oy -= m_client.height();
    moveTo(QPoint(int(std::clamp<int64_t>(ox, 0, m_maxOrigin.x())), int(std::clamp<int64_t>(oy, 0, m_maxOrigin.y()))));
    return 1;
}

int32_t MapWindow::getPos(Coord& position, int32_t alignment) const {
    if (!map())
        return 0;
    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_mapId;
    pixel.x = m_drawn.x();
    pixel.y = m_drawn.y();
    const int h = (alignment >> 2) & 3;
    const int v = alignment & 3;
    if (h == 1)
        pixel.x += m_client.width() / 2;
    else if (h == 2)
        pixel.x += m_client.width();
    if (v == 1)
        pixel.y += m_client.height() / 2;
    else if (v == 2)
        pixel.y += m_client.height();
    return TLM_TransformCoords(&pixel, &position);
}

int32_t MapWindow::setZoomFactor(double& zoom) {
    LibMap* m = map();
    if (!m)
        return 0;
    const double oldZoom = m->handle().zoom();
    const int halfW = m_client.width() / 2;
    const int halfH = m_client.height() / 2;
    const QPoint old = m_drawn;
    zoom = m->handle().setZoom(zoom);
    recomputeScrollBars();
    // The map point at the client centre stays there.
    const double nx = std::floor((old.x() + halfW) / oldZoom * zoom + 0.5) - halfW;
    const double ny = std::floor((old.y() + halfH) / oldZoom * zoom + 0.5) - halfH;
    m_drawn =
        QPoint(int(std::clamp(nx, 0.0, double(m_maxOrigin.x()))), int(std::clamp(ny, 0.0, double(m_maxOrigin.y()))));
    m_requested = m_drawn;
    updateBars();
    update();
    return 1;
}

void MapWindow::enableFlags(uint32_t flags) {
    m_flags |= flags;
    recomputeScrollBars();
}

void MapWindow::disableFlags(uint32_t flags) {
    m_flags &= ~flags;
    recomputeScrollBars();
}

// ---- painting ----

bool MapWindow::askAbort() {
    bool stop = false;
    callHost(TLM_WM_COMMAND, TLM_CMD_PAINT_ABORT, 0, &stop);
    return stop;
}

void MapWindow::drawMap(QPainter& painter, const QRect& area, Surface& surface) {
    LibMap* m = map();
    if (!m)
        return;
    (void)surface;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m->handle().draw(painter, m_client, &area, m_drawn.x(), m_drawn.y(), [this] { return askAbort(); });
    QApplication::restoreOverrideCursor();
}

void MapWindow::paintEvent(QPaintEvent* event) {
    if (m_screen.size() != size())
        m_screen = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    callHost(TLM_WM_USER, 0, 0);
    const QRect area = event->rect() & m_client;
    {
        QPainter painter(&m_screen);
        painter.setClipRect(area);
        painter.fillRect(area, palette().color(QPalette::Base));
        Surface surface(&painter);
        surface.bindWindow(m_id);
        // The host's answer decides whether the palette is realized as a
        // background palette; realizing is a no-op on true-colour screens,
        // but the host still learns when entries changed.
        bool background = false;
        callHost(TLM_WM_QUERYNEWPALETTE, 0, 0, &background);
        if (LibMap* m = map(); m && m->handle().newPalette(nullptr, background))
            callHost(TLM_WM_PALETTECHANGED, uintptr_t(m_id), 0);
        drawMap(painter, area, surface);
        TLM_PAINTSTRUCT ps{surface.id(), 1, {area.left(), area.top(), area.right() + 1, area.bottom() + 1}};
        callHost(TLM_WM_PAINT, 0, reinterpret_cast<intptr_t>(&ps));
    }
    QPainter screen(this);
    screen.drawImage(area.topLeft(), m_screen, area);
    // The corner between the two bars.
    const QRect corner(m_client.right() + 1, m_client.bottom() + 1, width() - m_client.width(),
                       height() - m_client.height());
    if (m_hbar->isVisible() && m_vbar->isVisible())
        screen.fillRect(corner, palette().color(QPalette::Window));
}

int32_t MapWindow::doPaint(const TLM_PAINTSTRUCT& paint) {
    Surface* surface = findSurface(paint.hdc);
    if (!surface || !surface->painter())
        return 0;
    surface->bindWindow(m_id);
    m_hostSurface = surface;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LibMap* m = map();
    if (m) {
        const QRect area = QRect(QPoint(paint.rcPaint.left, paint.rcPaint.top),
                                 QPoint(paint.rcPaint.right - 1, paint.rcPaint.bottom - 1)) &
                           m_client;
        m->handle().draw(*surface->painter(), m_client, &area, m_drawn.x(), m_drawn.y(), [this] { return askAbort(); });
    }
    return 1;
}

int32_t MapWindow::afterPaint(TLM_HDC dc) {
    Surface* surface = findSurface(dc);
    if (!surface || surface != m_hostSurface)
        return 0;
    QApplication::restoreOverrideCursor();
    surface->unbind();
    m_hostSurface = nullptr;
    return 1;
}

TLM_HDC MapWindow::getDC() {
    if (m_dcSurface)
        return m_dcSurface->id();
    if (m_screen.size() != size())
        m_screen = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_dcPainter = std::make_unique<QPainter>(&m_screen);
    m_dcPainter->setClipRect(m_client);
    m_dcSurface = std::make_unique<Surface>(m_dcPainter.get());
    m_dcSurface->bindWindow(m_id);
    return m_dcSurface->id();
}

int32_t MapWindow::releaseDC(TLM_HDC dc) {
    if (!m_dcSurface || m_dcSurface->id() != dc)
        return 0;
    m_dcSurface.reset();
    m_dcPainter.reset();
    // What the host drew shows until the next repaint of the map.
    repaint(m_client);
    return 1;
}

// ---- events ----

void MapWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    recomputeScrollBars();
    const uintptr_t kind = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    callHost(TLM_WM_SIZE, kind, packPoint(width(), height()));
}

void MapWindow::closeEvent(QCloseEvent* event) {
    if (closeFile(true) != 1) {
        event->ignore();
        return;
    }
    event->accept();
    setAttribute(Qt::WA_DeleteOnClose);
}

bool MapWindow::mouseMessage(uint32_t message, QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    bool handled = false;
    callHost(message, keyState(event->buttons() | event->button(), event->modifiers()), packPoint(p.x(), p.y()),
             &handled);
    return handled;
}

namespace {
uint32_t buttonBase(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return TLM_WM_RBUTTONDOWN;
    case Qt::MiddleButton:
        return TLM_WM_MBUTTONDOWN;
    default:
        return TLM_WM_LBUTTONDOWN;
    }
}
} // namespace

// A message the host does not take goes on to the parent window.
void MapWindow::mousePressEvent(QMouseEvent* event) {
    setFocus();
    event->setAccepted(mouseMessage(buttonBase(event->button()), event));
}

void MapWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->setAccepted(mouseMessage(buttonBase(event->button()) + 1, event));
}

void MapWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    event->setAccepted(mouseMessage(buttonBase(event->button()) + 2, event));
}

void MapWindow::mouseMoveEvent(QMouseEvent* event) {
    event->setAccepted(mouseMessage(TLM_WM_MOUSEMOVE, event));
}

void MapWindow::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    const intptr_t repeat = event->isAutoRepeat() ? intptr_t(1) << 30 : 0;
    callHost(TLM_WM_KEYDOWN, virtualKeyOf(event->key()), 1 | repeat, &handled);
    if (!handled && !event->text().isEmpty()) {
        const std::string bytes = Cp1252::encode(event->text());
        callHost(TLM_WM_CHAR, uint8_t(bytes[0]), 1 | repeat, &handled);
    }
    event->setAccepted(handled);
}

void MapWindow::keyReleaseEvent(QKeyEvent* event) {
    bool handled = false;
    callHost(TLM_WM_KEYUP, virtualKeyOf(event->key()), intptr_t(0xC0000001u), &handled);
    event->setAccepted(handled);
}

// ---- the window procedure ----

intptr_t MapWindow::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case TLM_WM_COMMAND: {
        const unsigned id = unsigned(wParam & 0xFFFF);
        switch (id) {
        case TLM_CMD_OPEN: {
            char path[257] = {0};
            if (library().openFileDialog) {
                if (library().openFileDialog(this, path, int32_t(sizeof path)) != 1)
                    return 0;
            } else {
                const QString chosen = QFileDialog::getOpenFileName(
                    this, QString(), QString(),
                    QStringLiteral("TLM-Dateien (*.TLM) (*.tlm *.TLM);;Alle Dateien (*.*) (*)"));
                const QByteArray local = chosen.toLocal8Bit();
                if (chosen.isEmpty() || local.size() > 256)
                    return 0;
                std::memcpy(path, local.constData(), size_t(local.size()));
            }
            path[256] = 0;
            return openFile(path);
        }
        case TLM_CMD_CLOSE:
            return closeFile(false);
        case TLM_CMD_CLOSEWINDOW:
            close();
            return 0;
        case TLM_CMD_LAYERS:
            return map() ? TLM_Wnd_AskLayerActivation(m_id, this) : 0;
        case TLM_CMD_DIMMER:
            return map() ? TLM_Wnd_AskDimmer(m_id, this) : 0;
        default:
            return callHost(message, wParam, lParam);
        }
    }
    case TLM_WM_CLOSE:
        return close() ? 1 : 0;
    case TLM_WM_DESTROY:
        deleteLater();
        return 0;
    case TLM_WM_HSCROLL:
    case TLM_WM_VSCROLL: {
        const Qt::Orientation o = message == TLM_WM_HSCROLL ? Qt::Horizontal : Qt::Vertical;
        scrollCode(o, int(wParam & 0xFFFF), int((wParam >> 16) & 0xFFFF));
        return 0;
    }
    case TLM_WM_PAINT:
        repaint();
        return 0;
    case TLM_WM_HELP_0x706A:
        return m_kind == Kind::Help ? 0 : callHost(message, wParam, lParam);
    case TLM_WM_HELP_CLIENTSIZE:
        if (m_kind == Kind::Help && lParam) {
            int32_t* pair = reinterpret_cast<int32_t*>(lParam);
            pair[0] = m_client.width();
            pair[1] = m_client.height();
            return 0;
        }
        return callHost(message, wParam, lParam);
    case TLM_WM_HELP_PALETTE:
        if (m_kind == Kind::Help)
            return reinterpret_cast<intptr_t>(groupPalette().get());
        return callHost(message, wParam, lParam);
    default:
        return callHost(message, wParam, lParam);
    }
}

} // namespace Velmar32
