#include "MapEvents.h"

#include "AppResources.h"
#include "EscapeThread.h"
#include "MapWindowModule.h"
#include "TolmWindow.h"

#include <QCursor>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <map>

// --- MapEventListener ---

MapEventListener::~MapEventListener() = default;

void MapEventListener::MouseMove(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->MouseMove(info);
}

void MapEventListener::ButtonDown(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->ButtonDown(info);
}

void MapEventListener::ButtonUp(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->ButtonUp(info);
}

void MapEventListener::Key(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->Key(info);
}

void MapEventListener::Context(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->Context(info);
}

void MapEventListener::Paint(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->Paint(info);
}

void MapEventListener::ViewChanged(MapEventInfo& info) {
    if (m_delegate)
        m_delegate->ViewChanged(info);
}

void MapEventListener::Attach() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Listeners().Attach(this);
}

void MapEventListener::Detach() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Listeners().Detach(this);
}

// --- MapEventListenerList ---

void MapEventListenerList::Detach(MapEventListener* listener) {
    const auto found = std::find(m_items.begin(), m_items.end(), listener);
    if (found != m_items.end())
        m_items.erase(found);
}

bool MapEventListenerList::Contains(const MapEventListener* listener) const {
    return std::find(m_items.begin(), m_items.end(), listener) != m_items.end();
}

// --- MapFunction ---

namespace {

MapFunction* g_activeFunction = nullptr;
MapFunction* g_defaultFunction = nullptr;

// The cursors loaded by map functions, under the numbers they were given.
// Number 0 is the map window's normal cursor and never registered.
struct CursorRegistry {
    uint16_t next = 1;
    std::map<uint16_t, QCursor> cursors;
};

CursorRegistry& cursorRegistry() {
    static CursorRegistry registry;
    return registry;
}

QWidget* mapWindowControl() {
    const MapWindowModule* module = MapWindowModule::instance();
    return module ? module->WindowControl() : nullptr;
}

MapFunction* asFunction(MapEventListener* listener) {
    return dynamic_cast<MapFunction*>(listener);
}

} // namespace

MapFunction::MapFunction(MapEventListener* delegate) : MapEventListener(delegate) {
    if (g_defaultFunction == nullptr)
        g_defaultFunction = this;
}

MapFunction::~MapFunction() {
    if (g_activeFunction == this)
        g_activeFunction = nullptr;
    // The default must not outlive its function; there is then none.
    if (g_defaultFunction == this)
        g_defaultFunction = nullptr;
}

bool MapFunction::MayBecomeActive(MapFunction* previous) {
    if (MapFunction* delegate = asFunction(Delegate()))
        return delegate->MayBecomeActive(previous);
    return true;
}

bool MapFunction::Leave(MapFunction* next) {
    if (MapFunction* delegate = asFunction(Delegate())) {
        if (!delegate->Leave(next))
            return false;
    }
    if (QWidget* control = mapWindowControl())
        control->unsetCursor();
    return true;
}

void MapFunction::Enter(MapFunction* previous) {
    if (m_cursorNumber != 0) {
        if (QWidget* control = mapWindowControl()) {
            const CursorRegistry& registry = cursorRegistry();
            if (const auto found = registry.cursors.find(m_cursorNumber); found != registry.cursors.end())
                control->setCursor(found->second);
        }
    }
    if (MapFunction* delegate = asFunction(Delegate()))
        delegate->Enter(previous);
}

bool MapFunction::LoadCursorByName(const QString& moduleName) {
    const std::optional<QCursor> cursor = AppResources::cursor(moduleName);
    if (!cursor) {
        m_cursorNumber = 0;
        return false;
    }
    CursorRegistry& registry = cursorRegistry();
    // 65535 cursors are more than the program has functions; the counter
    // never wraps onto 0, the normal cursor.
    if (registry.next == 0)
        return false;
    m_cursorNumber = registry.next++;
    registry.cursors[m_cursorNumber] = *cursor;
    return true;
}

MapFunction* MapFunction::Active() {
    return g_activeFunction;
}

MapFunction* MapFunction::Default() {
    return g_defaultFunction;
}

bool MapFunction::Activate(MapFunction* function) {
    if (function == g_activeFunction)
        return true;
    MapFunction* previous = g_activeFunction;
    if (function != nullptr && !function->MayBecomeActive(previous))
        return false;
    if (previous != nullptr && !previous->Leave(function))
        return false;
    g_activeFunction = function;
    if (function != nullptr)
        function->Enter(previous);
    return true;
}

bool MapFunction::ActivateDefault() {
    if (g_defaultFunction == nullptr)
        return false;
    return Activate(g_defaultFunction);
}

// --- MapEventInfo ---

MapEventInfo::~MapEventInfo() = default;

namespace {

// The window messages that reach the listeners and the slot each one calls.
struct MessageSlot {
    uint32_t message;
    MapEventHandler handler;
    int button;
    bool doubleClick;
};

const MessageSlot MessageSlots[] = {
    {TLM_WM_MOUSEMOVE, &MapEventListener::MouseMove, 0, false},
    {TLM_WM_LBUTTONDOWN, &MapEventListener::ButtonDown, 0, false},
    {TLM_WM_LBUTTONUP, &MapEventListener::ButtonUp, 0, false},
    {TLM_WM_LBUTTONDBLCLK, &MapEventListener::ButtonDown, 0, true},
    {TLM_WM_RBUTTONDOWN, &MapEventListener::Context, 0, false},
    {TLM_WM_MBUTTONDOWN, &MapEventListener::ButtonDown, 2, false},
    {TLM_WM_MBUTTONUP, &MapEventListener::ButtonUp, 2, false},
    {TLM_WM_MBUTTONDBLCLK, &MapEventListener::ButtonDown, 2, true},
    {TLM_WM_CHAR, &MapEventListener::Key, 0, false},
};

// Presses of any button: the place the user pointed at is remembered.
bool isButtonPress(uint32_t message) {
    switch (message) {
    case TLM_WM_LBUTTONDOWN:
    case TLM_WM_LBUTTONDBLCLK:
    case TLM_WM_RBUTTONDOWN:
    case TLM_WM_RBUTTONDBLCLK:
    case TLM_WM_MBUTTONDOWN:
    case TLM_WM_MBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool isScrollMessage(uint32_t message) {
    return message == TLM_WM_HSCROLL || message == TLM_WM_VSCROLL;
}

} // namespace

MapEventInfo MapEventInfo::FromMessage(const TMessage& message) {
    MapEventInfo info;
    const auto lparam = static_cast<uint32_t>(static_cast<uintptr_t>(message.LParam));
    info.position.type = 0xC001;
    info.position.zone = 0;
    info.position.x = static_cast<double>(lparam & 0xFFFFu);
    info.position.y = static_cast<double>((lparam >> 16) & 0xFFFFu);
    for (const MessageSlot& slot : MessageSlots) {
        if (slot.message != message.Msg)
            continue;
        info.handler = slot.handler;
        info.button = slot.button;
        info.doubleClick = slot.doubleClick;
        if (message.Msg == TLM_WM_CHAR)
            info.key = static_cast<unsigned char>(message.WParam & 0xFFu);
        break;
    }
    return info;
}

QRect MapEventInfo::ViewRect() const {
    const MapWindowModule* module = MapWindowModule::instance();
    const TTolmWindow* window = module ? module->Window() : nullptr;
    if (window == nullptr)
        return {};
    return window->viewport()->rect();
}

bool MapEventInfo::Transform(const Coord& from, Coord& to) const {
    const MapWindowModule* module = MapWindowModule::instance();
    return module != nullptr && module->Transform(from, to);
}

bool MapEventInfo::PositionIn(Coord& target) const {
    return Transform(position, target);
}

double MapEventInfo::PixelScale() const {
    if (canvas == nullptr || canvas->device() == nullptr)
        return 1.0;
    return std::max(1.0, canvas->device()->logicalDpiY() * 0.01);
}

std::vector<double> MapEventInfo::ViewKey() const {
    const QRect view = ViewRect();
    std::vector<double> key{double(view.left()), double(view.top()), double(view.width()), double(view.height())};
    for (const QPoint corner : {view.topLeft(), view.topRight(), view.bottomLeft()}) {
        // A client point of the map window, not clamped to the map: corners
        // beyond the map's edge still tell zooms apart.
        Coord from{};
        from.type = TLM_COORD_WINDOW_CLIENT | 0x20;
        from.x = corner.x();
        from.y = corner.y();
        Coord to{};
        to.type = 1;
        if (!Transform(from, to))
            return {};
        key.insert(key.end(), {to.x, to.y});
    }
    return key;
}

// --- MapEvents ---

namespace {

void call(MapEventListener* listener, MapEventHandler handler, MapEventInfo& info) {
    (listener->*handler)(info);
}

// A listener may detach itself or others while an event is delivered; the
// pass walks a copy of the list and skips those that left meanwhile.
bool stillListening(MapWindowModule& module, const MapEventListener* listener) {
    return module.Listeners().Contains(listener);
}

// Keeps the canvas's pen, brush and transformation across one painter.
class CanvasState {
public:
    explicit CanvasState(QPainter* canvas) : m_canvas(canvas && canvas->isActive() ? canvas : nullptr) {
        if (m_canvas)
            m_canvas->save();
    }
    ~CanvasState() {
        if (m_canvas && m_canvas->isActive())
            m_canvas->restore();
    }
    CanvasState(const CanvasState&) = delete;
    CanvasState& operator=(const CanvasState&) = delete;

private:
    QPainter* m_canvas;
};

} // namespace

namespace MapEvents {

void DispatchMessage(TTolmWindow& window, const TMessage& message) {
    MapEventInfo info = MapEventInfo::FromMessage(message);
    MapWindowModule* module = MapWindowModule::instance();

    // The remembered position is taken before any listener sees the event,
    // so that the next map of the sequence opens on the place just pointed at.
    if (module != nullptr && module->DefCoordDynamic) {
        if (isButtonPress(message.Msg)) {
            module->Remember(info.position);
        } else if (isScrollMessage(message.Msg)) {
            Coord centre{};
            centre.type = 0; // the map's own system
            if (window.GetCenterPos(centre))
                module->Remember(centre);
        }
    }

    if (info.handler == nullptr)
        return;
    if (MapFunction* active = MapFunction::Active())
        call(active, info.handler, info);
    if (module == nullptr)
        return;
    const std::vector<MapEventListener*> listeners = module->Listeners().Items();
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it) {
        if (stillListening(*module, *it))
            call(*it, info.handler, info);
    }
}

void DispatchPaint(TTolmWindow& window, TPaintRecord& record) {
    (void)window;
    MapEventInfo info;
    info.handler = &MapEventListener::Paint;
    info.canvas = record.painter;
    const volatile unsigned char* escape = TEscapeThread::instance().reset();

    MapWindowModule* module = MapWindowModule::instance();
    if (module != nullptr) {
        const std::vector<MapEventListener*> listeners = module->Listeners().Items();
        for (MapEventListener* listener : listeners) {
            if (*escape != 0)
                break;
            if (!stillListening(*module, listener))
                continue;
            // Each layer starts from the same pen and brush, whatever the one
            // before it left behind.
            const CanvasState state(info.canvas);
            listener->Paint(info);
        }
    }
    // The active function draws on top, also when the layers were cut short.
    if (MapFunction* active = MapFunction::Active()) {
        const CanvasState state(info.canvas);
        active->Paint(info);
    }
}

void DispatchViewChanged(TTolmWindow& window, int level) {
    (void)window;
    (void)level;
    MapEventInfo info;
    info.handler = &MapEventListener::ViewChanged;
    if (MapFunction* active = MapFunction::Active())
        active->ViewChanged(info);
    MapWindowModule* module = MapWindowModule::instance();
    if (module == nullptr)
        return;
    const std::vector<MapEventListener*> listeners = module->Listeners().Items();
    for (MapEventListener* listener : listeners) {
        if (stillListening(*module, listener))
            listener->ViewChanged(info);
    }
}

} // namespace MapEvents
