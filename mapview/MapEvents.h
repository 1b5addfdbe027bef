#pragma once

#include "Coord.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class MapEventInfo;
class QPainter;
class TTolmWindow;
struct TMessage;
struct TPaintRecord;

// Everything that reacts to the mouse over the main map, paints on top of it
// or follows its view is a listener registered with the map window module.
// Each slot forwards to the delegate when one is set and otherwise does
// nothing, so a listener can lend its behaviour to another.
class MapEventListener {
public:
    explicit MapEventListener(MapEventListener* delegate = nullptr) : m_delegate(delegate) {}
    // Does not detach: owners detach first.
    virtual ~MapEventListener();

    virtual void MouseMove(MapEventInfo& info);
    // Left or middle button pressed or double-clicked.
    virtual void ButtonDown(MapEventInfo& info);
    virtual void ButtonUp(MapEventInfo& info);
    // A character typed while the map window has the focus.
    virtual void Key(MapEventInfo& info);
    // Right button pressed.
    virtual void Context(MapEventInfo& info);
    // The map has been drawn; paint overlays now.
    virtual void Paint(MapEventInfo& info);
    // Map, zoom, position or size of the map window changed.
    virtual void ViewChanged(MapEventInfo& info);

    // Appends this listener to the map window module's list; detach removes it
    // (removing an absent listener is harmless). Nothing without the module.
    void Attach();
    void Detach();

    MapEventListener* Delegate() const { return m_delegate; }
    void SetDelegate(MapEventListener* delegate) { m_delegate = delegate; }

private:
    MapEventListener* m_delegate = nullptr;
};

// Which listener slot an event calls.
using MapEventHandler = void (MapEventListener::*)(MapEventInfo&);

// The listeners of the map window module, in registration order; not owned.
class MapEventListenerList {
public:
    void Attach(MapEventListener* listener) { m_items.push_back(listener); }
    void Detach(MapEventListener* listener);
    bool Contains(const MapEventListener* listener) const;
    const std::vector<MapEventListener*>& Items() const { return m_items; }

private:
    std::vector<MapEventListener*> m_items;
};

// The current mouse mode of the map. Exactly one function is active once the
// map window module has started (except while a function refuses to leave).
class MapFunction : public MapEventListener {
public:
    // The first function ever constructed becomes the default function.
    explicit MapFunction(MapEventListener* delegate = nullptr);
    // The active function being destroyed leaves no function active.
    ~MapFunction() override;

    // Default: ask the delegate when it is a map function, else true.
    virtual bool MayBecomeActive(MapFunction* previous);
    // Default: ask the delegate when it is a map function (false refuses),
    // else set the map window's normal cursor and answer true.
    virtual bool Leave(MapFunction* next);
    // Default: set this function's cursor on the map window (when it has one
    // and the window exists), then tell the delegate when it is a map function.
    virtual void Enter(MapFunction* previous);
    virtual int ReservedQuery() { return 0; }

    // 0 = the map window's normal cursor.
    uint16_t CursorNumber() const { return m_cursorNumber; }
    // Loads the cursor resource of that module name, registers it under the
    // next number of the process-wide cursor counter (from 1) and takes that
    // number; false, and the normal cursor, when there is no such resource.
    bool LoadCursorByName(const QString& moduleName);

    static MapFunction* Active();
    static MapFunction* Default();
    // Already active: true. Refused by the new function's MayBecomeActive or
    // the old one's Leave: false. Otherwise the new one becomes active and,
    // when not none, gets Enter(previous).
    static bool Activate(MapFunction* function);
    // False when there is no default function.
    static bool ActivateDefault();

private:
    uint16_t m_cursorNumber = 0;
};

// One event, built on the stack by the dispatcher and valid during the call.
class MapEventInfo {
public:
    MapEventInfo() = default;
    virtual ~MapEventInfo();

    // The message -> slot table; messages outside it leave the handler none.
    static MapEventInfo FromMessage(const TMessage& message);

    MapEventHandler handler = nullptr;
    // Type 0xC001 (client point of the map window), zone 0, x and y the
    // unsigned low and high 16 bits of the message's position.
    Coord position{};
    int button = 0; // 0 = left, 2 = middle
    bool doubleClick = false;
    unsigned char key = 0;
    QPainter* canvas = nullptr; // paint events only
    QString text;

    // The map window's client rectangle.
    virtual QRect ViewRect() const;
    // Through the map window module.
    virtual bool Transform(const Coord& from, Coord& to) const;
    // False for the printer's variant.
    virtual bool IsScreen() const { return true; }

    // The position converted into the type the caller preset in target.
    bool PositionIn(Coord& target) const;
    // 1.0 without canvas, else the canvas's vertical dots per inch x 0.01,
    // at least 1.0.
    double PixelScale() const;
    // Where the view lies: the view rectangle and three of its corners in
    // Gauss-Krüger metres (not clamped to the map). Paints with the same key
    // place everything alike; empty when the view has no map.
    std::vector<double> ViewKey() const;
};

// A listener whose objects can be identified by a click (points of interest).
class ClickableLayer : public MapEventListener {
public:
    using MapEventListener::MapEventListener;
    virtual bool ObjectUnderPoint(MapEventInfo& info, QString& hint) = 0;
    // True when the click was handled.
    virtual bool Click(MapEventInfo& info) = 0;
};

// The event flow from the main map window to the active function and the
// listeners. The map tab card calls these from the window's events.
namespace MapEvents {
void DispatchMessage(TTolmWindow& window, const TMessage& message);
void DispatchPaint(TTolmWindow& window, TPaintRecord& record);
void DispatchViewChanged(TTolmWindow& window, int level);
} // namespace MapEvents
