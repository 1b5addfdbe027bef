// The map events: message table, the order in which the active function and
// the listeners hear of messages, paints and view changes, and the rules of
// activating map functions.
#include "EscapeThread.h"
#include "MainMapModule.h"
#include "MapEvents.h"
#include "MapSequence.h"
#include "MapTabCard.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Log = QStringList;

const char* slotName(MapEventHandler handler) {
    if (handler == &MapEventListener::MouseMove)
        return "move";
    if (handler == &MapEventListener::ButtonDown)
        return "down";
    if (handler == &MapEventListener::ButtonUp)
        return "up";
    if (handler == &MapEventListener::Key)
        return "key";
    if (handler == &MapEventListener::Context)
        return "context";
    if (handler == &MapEventListener::Paint)
        return "paint";
    if (handler == &MapEventListener::ViewChanged)
        return "view";
    return "none";
}

// Writes "name:slot" for every call it receives.
class Recorder : public MapEventListener {
public:
    Recorder(QString name, Log& log, MapEventListener* delegate = nullptr)
        : MapEventListener(delegate), name(std::move(name)), log(log) {}
    void MouseMove(MapEventInfo& i) override { note("move", i); }
    void ButtonDown(MapEventInfo& i) override { note("down", i); }
    void ButtonUp(MapEventInfo& i) override { note("up", i); }
    void Key(MapEventInfo& i) override { note("key", i); }
    void Context(MapEventInfo& i) override { note("context", i); }
    void Paint(MapEventInfo& i) override { note("paint", i); }
    void ViewChanged(MapEventInfo& i) override { note("view", i); }
    std::function<void()> onCall;

private:
    void note(const char* what, MapEventInfo&) {
        log << name + ":" + what;
        if (onCall)
            onCall();
    }
    QString name;
    Log& log;
};

class RecordingFunction : public MapFunction {
public:
    RecordingFunction(QString name, Log& log, MapEventListener* delegate = nullptr)
        : MapFunction(delegate), name(std::move(name)), log(log) {}
    void ButtonDown(MapEventInfo&) override { log << name + ":down"; }
    void Paint(MapEventInfo&) override { log << name + ":paint"; }
    void ViewChanged(MapEventInfo&) override { log << name + ":view"; }
    bool MayBecomeActive(MapFunction* previous) override {
        log << name + ":may(" + nameOf(previous) + ")";
        return mayBecomeActive && MapFunction::MayBecomeActive(previous);
    }
    bool Leave(MapFunction* next) override {
        log << name + ":leave(" + nameOf(next) + ")";
        return mayLeave && MapFunction::Leave(next);
    }
    void Enter(MapFunction* previous) override {
        log << name + ":enter(" + nameOf(previous) + ")";
        MapFunction::Enter(previous);
    }
    static QString nameOf(MapFunction* f) {
        auto* r = dynamic_cast<RecordingFunction*>(f);
        return r ? r->name : QStringLiteral("none");
    }
    QString name;
    Log& log;
    bool mayBecomeActive = true;
    bool mayLeave = true;
};

TMessage message(uint32_t msg, int x = 0, int y = 0, uintptr_t wparam = 0) {
    TMessage m;
    m.Msg = msg;
    m.LParam = packMousePosition(x, y);
    m.WParam = wparam;
    return m;
}

class MapEventsTest : public ::testing::Test {
protected:
    void TearDown() override {
        MapFunction::Activate(nullptr);
        // The cases' listeners are gone by now; only their addresses are left.
        for (MapEventListener* l : std::vector<MapEventListener*>(module.Listeners().Items()))
            module.Listeners().Detach(l);
    }
    Platform::ScriptedDialogs dialogs;
    MainMapModule module;
    TTolmWindow window; // stands for the main map window; no map is open
    Log log;
};

} // namespace

TEST_F(MapEventsTest, MessageTableAndPositions) {
    struct Case {
        uint32_t msg;
        const char* slot;
        int button;
        bool doubleClick;
    } const cases[] = {
        {TLM_WM_MOUSEMOVE, "move", 0, false},
        {TLM_WM_LBUTTONDOWN, "down", 0, false},
        {TLM_WM_LBUTTONUP, "up", 0, false},
        {TLM_WM_LBUTTONDBLCLK, "down", 0, true},
        {TLM_WM_RBUTTONDOWN, "context", 0, false},
        {TLM_WM_MBUTTONDOWN, "down", 2, false},
        {TLM_WM_MBUTTONUP, "up", 2, false},
        {TLM_WM_MBUTTONDBLCLK, "down", 2, true},
        {TLM_WM_CHAR, "key", 0, false},
        {TLM_WM_RBUTTONUP, "none", 0, false},
        {TLM_WM_RBUTTONDBLCLK, "none", 0, false},
        {TLM_WM_KEYDOWN, "none", 0, false},
        {TLM_WM_HSCROLL, "none", 0, false},
        {TLM_WM_PAINT, "none", 0, false},
    };
    for (const Case& c : cases) {
        const MapEventInfo info = MapEventInfo::FromMessage(message(c.msg, 12, 34, 'x'));
        EXPECT_STREQ(slotName(info.handler), c.slot) << "message " << c.msg;
        EXPECT_EQ(info.button, c.button) << "message " << c.msg;
        EXPECT_EQ(info.doubleClick, c.doubleClick) << "message " << c.msg;
        EXPECT_EQ(info.position.type, 0xC001u);
        EXPECT_EQ(info.position.zone, 0u);
        EXPECT_EQ(info.position.x, 12.0);
        EXPECT_EQ(info.position.y, 34.0);
        EXPECT_EQ(info.key, c.msg == TLM_WM_CHAR ? 'x' : 0) << "message " << c.msg;
        EXPECT_EQ(info.canvas, nullptr);
        EXPECT_TRUE(info.text.isEmpty());
    }
    // Left of and above the window the packed values wrap to large unsigned ones.
    const MapEventInfo outside = MapEventInfo::FromMessage(message(TLM_WM_MOUSEMOVE, -1, -2));
    EXPECT_EQ(outside.position.x, 65535.0);
    EXPECT_EQ(outside.position.y, 65534.0);
    const MapEventInfo big = MapEventInfo::FromMessage(message(TLM_WM_MOUSEMOVE, 0xFFFF, 0x8000));
    EXPECT_EQ(big.position.x, 65535.0);
    EXPECT_EQ(big.position.y, 32768.0);
}

TEST_F(MapEventsTest, MessagesReachActiveFunctionFirstThenListenersLastRegisteredFirst) {
    Recorder a("A", log), b("B", log), c("C", log);
    RecordingFunction f("F", log);
    a.Attach();
    b.Attach();
    c.Attach();
    ASSERT_TRUE(MapFunction::Activate(&f));
    log.clear();

    MapEvents::DispatchMessage(window, message(TLM_WM_LBUTTONDOWN, 5, 5));
    EXPECT_EQ(log, (Log{"F:down", "C:down", "B:down", "A:down"}));

    log.clear();
    MapEvents::DispatchMessage(window, message(TLM_WM_RBUTTONUP, 5, 5));
    MapEvents::DispatchMessage(window, message(TLM_WM_HSCROLL, 0, 0, TLM_SB_ENDSCROLL));
    EXPECT_TRUE(log.isEmpty()) << "messages without a slot reach nobody";

    // A listener that detaches another during the pass: the detached one is skipped.
    log.clear();
    c.onCall = [&] { b.Detach(); };
    MapEvents::DispatchMessage(window, message(TLM_WM_MOUSEMOVE, 1, 1));
    EXPECT_EQ(log, (Log{"C:move", "A:move"}));

    MapFunction::Activate(nullptr);
    log.clear();
    MapEvents::DispatchMessage(window, message(TLM_WM_CHAR, 0, 0, 'q'));
    EXPECT_EQ(log, (Log{"C:key", "A:key"})) << "without an active function only the listeners";
}

TEST_F(MapEventsTest, PaintInRegistrationOrderStopsAtEscapeButPaintsTheFunction) {
    Recorder a("A", log), b("B", log), c("C", log);
    RecordingFunction f("F", log);
    a.Attach();
    b.Attach();
    c.Attach();
    MapFunction::Activate(&f);
    log.clear();

    QImage image(50, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    TPaintRecord record;
    record.painter = &painter;
    record.rcPaint = image.rect();

    // A layer's pen does not spill over into the next one.
    QColor seenByB;
    a.onCall = [&] { painter.setPen(Qt::red); };
    b.onCall = [&] { seenByB = painter.pen().color(); };
    MapEvents::DispatchPaint(window, record);
    EXPECT_EQ(log, (Log{"A:paint", "B:paint", "C:paint", "F:paint"}));
    EXPECT_NE(seenByB, QColor(Qt::red));
    a.onCall = nullptr;

    // B is painting when the user presses Esc: C is left out, F still draws on top.
    log.clear();
    b.onCall = [] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &esc);
    };
    MapEvents::DispatchPaint(window, record);
    EXPECT_EQ(log, (Log{"A:paint", "B:paint", "F:paint"}));
    EXPECT_TRUE(TEscapeThread::instance().escapePressed());

    // The next paint starts with the flag cleared.
    log.clear();
    b.onCall = nullptr;
    MapEvents::DispatchPaint(window, record);
    EXPECT_EQ(log, (Log{"A:paint", "B:paint", "C:paint", "F:paint"}));
}

TEST_F(MapEventsTest, ViewChangedReachesFunctionFirstThenListenersInOrder) {
    Recorder a("A", log), b("B", log);
    RecordingFunction f("F", log);
    a.Attach();
    b.Attach();
    MapFunction::Activate(&f);
    log.clear();
    MapEvents::DispatchViewChanged(window, TTolmWindow::NotifyZoomed);
    EXPECT_EQ(log, (Log{"F:view", "A:view", "B:view"}));
}

TEST_F(MapEventsTest, ListenersForwardToTheirDelegate) {
    Recorder target("T", log);
    MapEventListener forwarding(&target);
    MapEventInfo info;
    forwarding.MouseMove(info);
    forwarding.ButtonDown(info);
    forwarding.ButtonUp(info);
    forwarding.Key(info);
    forwarding.Context(info);
    forwarding.Paint(info);
    forwarding.ViewChanged(info);
    EXPECT_EQ(log, (Log{"T:move", "T:down", "T:up", "T:key", "T:context", "T:paint", "T:view"}));

    MapEventListener alone;
    alone.ButtonDown(info); // no delegate: nothing, no crash

    // Attach appends, detach of an absent listener is harmless.
    alone.Detach();
    alone.Attach();
    forwarding.Attach();
    EXPECT_EQ(module.Listeners().Items(), (std::vector<MapEventListener*>{&alone, &forwarding}));
    alone.Detach();
    alone.Detach();
    EXPECT_FALSE(module.Listeners().Contains(&alone));
    EXPECT_TRUE(module.Listeners().Contains(&forwarding));
}

TEST_F(MapEventsTest, ActivationRules) {
    RecordingFunction first("F1", log), second("F2", log);
    EXPECT_EQ(MapFunction::Default(), &first) << "the first function constructed is the default";
    EXPECT_EQ(MapFunction::Active(), nullptr);

    module.Start();
    EXPECT_EQ(MapFunction::Active(), &first) << "start activates the default";
    EXPECT_EQ(log, (Log{"F1:may(none)", "F1:enter(none)"}));

    log.clear();
    EXPECT_TRUE(MapFunction::Activate(&first));
    EXPECT_TRUE(log.isEmpty()) << "already active: nobody is asked";

    second.mayBecomeActive = false;
    EXPECT_FALSE(MapFunction::Activate(&second));
    EXPECT_EQ(MapFunction::Active(), &first);

    second.mayBecomeActive = true;
    first.mayLeave = false;
    log.clear();
    EXPECT_FALSE(MapFunction::Activate(&second));
    EXPECT_EQ(MapFunction::Active(), &first) << "a function that refuses to leave stays";
    EXPECT_EQ(log, (Log{"F2:may(F1)", "F1:leave(F2)"}));

    first.mayLeave = true;
    log.clear();
    EXPECT_TRUE(MapFunction::Activate(&second));
    EXPECT_EQ(log, (Log{"F2:may(F1)", "F1:leave(F2)", "F2:enter(F1)"}));

    // Start with a function active changes nothing.
    module.Start();
    EXPECT_EQ(MapFunction::Active(), &second);

    {
        RecordingFunction temporary("T", log);
        EXPECT_TRUE(MapFunction::Activate(&temporary));
    }
    EXPECT_EQ(MapFunction::Active(), nullptr) << "destroying the active function leaves none active";
    EXPECT_TRUE(MapFunction::ActivateDefault());
    EXPECT_EQ(MapFunction::Active(), &first);
}

TEST_F(MapEventsTest, FunctionDelegatesAndDefaultWithoutFunctions) {
    // The functions of other cases are gone: no default while no function exists.
    EXPECT_EQ(MapFunction::Default(), nullptr);
    EXPECT_FALSE(MapFunction::ActivateDefault());
    RecordingFunction inner("I", log);
    MapFunction outer(&inner);
    inner.mayBecomeActive = false;
    EXPECT_FALSE(outer.MayBecomeActive(nullptr)) << "asks its delegate";
    inner.mayBecomeActive = true;
    EXPECT_TRUE(MapFunction::Activate(&outer));
    EXPECT_TRUE(log.contains("I:enter(none)")) << "enter is passed on to the delegate";
    inner.mayLeave = false;
    EXPECT_FALSE(MapFunction::Activate(nullptr)) << "the delegate refuses to leave";
    inner.mayLeave = true;
    EXPECT_TRUE(MapFunction::Activate(nullptr));
    EXPECT_EQ(outer.ReservedQuery(), 0);
}

TEST_F(MapEventsTest, CursorsByNameAndOnTheMapWindow) {
    ASSERT_NE(module.ShowMapPage(), nullptr) << "the card is made even without page frames";
    QWidget* control = module.WindowControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control, module.Window()->viewport());

    RecordingFunction center("C", log), zoom("Z", log), plain("P", log);
    EXPECT_TRUE(center.LoadCursorByName("Modul_Function_Center_1"));
    EXPECT_TRUE(zoom.LoadCursorByName("MODUL_FUNCTION_ZOOM_RECT"));
    EXPECT_GE(center.CursorNumber(), 1);
    EXPECT_EQ(zoom.CursorNumber(), center.CursorNumber() + 1) << "one process-wide counter";
    EXPECT_FALSE(plain.LoadCursorByName("Modul_Gibt_Es_Nicht"));
    EXPECT_EQ(plain.CursorNumber(), 0);

    ASSERT_TRUE(MapFunction::Activate(&center));
    EXPECT_TRUE(control->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(control->cursor().shape(), Qt::BitmapCursor);
    ASSERT_TRUE(MapFunction::Activate(&plain));
    EXPECT_FALSE(control->testAttribute(Qt::WA_SetCursor)) << "leaving sets the normal cursor";
}

TEST_F(MapEventsTest, PixelScaleFollowsTheCanvas) {
    MapEventInfo info;
    EXPECT_EQ(info.PixelScale(), 1.0);
    QImage printer(10, 10, QImage::Format_RGB32);
    printer.setDotsPerMeterY(int(600 / 0.0254 + 0.5));
    QPainter onPrinter(&printer);
    info.canvas = &onPrinter;
    EXPECT_NEAR(info.PixelScale(), 6.0, 1e-6);
    QImage screen(10, 10, QImage::Format_RGB32);
    screen.setDotsPerMeterY(int(72 / 0.0254 + 0.5));
    QPainter onScreen(&screen);
    info.canvas = &onScreen;
    EXPECT_EQ(info.PixelScale(), 1.0) << "never below 1";
    EXPECT_TRUE(info.IsScreen());
}

TEST_F(MapEventsTest, WithoutMapWindowNothingHappens) {
    // No page frames and no page shown yet: the module has no window.
    ASSERT_EQ(module.Window(), nullptr);
    EXPECT_EQ(module.WindowControl(), nullptr);
    EXPECT_TRUE(module.MapPath().isEmpty());
    EXPECT_EQ(module.Zoom(), 0.0);
    Coord out{};
    EXPECT_FALSE(module.Position(out, TTolmWindow::AlignCenter));
    Coord to{};
    to.type = 1;
    EXPECT_FALSE(module.Transform(out, to));
    EXPECT_EQ(module.TransformEx(out, to), static_cast<int32_t>(0x80004005u));
    module.SetZoom(2.0, std::nullopt);
    module.SetCentre(out, false);
    module.Repaint();
    EXPECT_EQ(module.Window(), nullptr) << "none of these made a window";
    EXPECT_EQ(module.dimmerValue(), 255);
    EXPECT_TRUE(MapEventInfo().ViewRect().isEmpty());
    EXPECT_EQ(Modul::Kartenfolge::CurrentMapNumber(), 0);
}
