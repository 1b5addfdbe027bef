// The centre function, the object identification over clickable layers, and
// switching functions through their actions.
#include "FunctionTestSupport.h"

#include "CenterFunction.h"
#include "ModularAction.h"
#include "ObjectClickFunction.h"

#include <QCursor>
#include <QRect>
#include <QTest>
#include <QToolTip>

#include <memory>
#include <string>
#include <vector>

namespace {

class Centring : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
        ASSERT_TRUE(MapFunction::Activate(&centre));
    }
    void TearDown() override {
        MapFunction::Activate(nullptr);
        MapWindowFixture::TearDown();
    }
    CenterFunction centre;
};

TEST_F(Centring, ALeftClickMovesTheClickedPointIntoTheMiddle) {
    EXPECT_NE(centre.CursorNumber(), 0);
    const Coord target = gaussKruegerOf(70, 90);
    press(70, 90);
    ASSERT_EQ(module->centreCalls.size(), 1u);
    // Handed over in the map's own coordinates (here Gauss-Krüger), not as
    // a point of the window, which would move with the view.
    EXPECT_EQ(module->centreCalls[0].type, 1u);
    EXPECT_GT(module->repaints, 0);
    const Coord now = gaussKruegerOfCentre();
    EXPECT_NEAR(now.x, target.x, 1.0);
    EXPECT_NEAR(now.y, target.y, 1.0);
    release(70, 90);

    // A double click centres too; middle and right buttons do not.
    const Coord second = gaussKruegerOf(300, 200);
    doubleClick(300, 200);
    EXPECT_EQ(module->centreCalls.size(), 2u);
    EXPECT_NEAR(gaussKruegerOfCentre().y, second.y, 1.0);
    press(10, 10, Qt::MiddleButton);
    press(10, 10, Qt::RightButton);
    EXPECT_EQ(module->centreCalls.size(), 2u);
}

TEST_F(Centring, NothingWithoutAMap) {
    window->setPathName(QString());
    press(70, 90);
    EXPECT_TRUE(module->centreCalls.empty());
}

// --- object identification ---

// A layer with one object in a rectangle of the window.
class Layer : public ClickableLayer {
public:
    Layer(std::string name, QRect area, bool handles, std::vector<std::string>& log)
        : m_name(std::move(name)), m_area(area), m_handles(handles), m_log(log) {}
    bool ObjectUnderPoint(MapEventInfo& info, QString& hint) override {
        m_log.push_back("ask " + m_name);
        if (!m_area.contains(int(info.position.x), int(info.position.y)))
            return false;
        hint = QString::fromStdString(m_name);
        return true;
    }
    bool Click(MapEventInfo&) override {
        m_log.push_back("click " + m_name);
        return m_handles;
    }

private:
    std::string m_name;
    QRect m_area;
    bool m_handles;
    std::vector<std::string>& m_log;
};

class Identify : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
        for (MapEventListener* listener :
             {static_cast<MapEventListener*>(&first), &plain, static_cast<MapEventListener*>(&second),
              static_cast<MapEventListener*>(&third)})
            module->Listeners().Attach(listener);
        ASSERT_TRUE(MapFunction::Activate(&identify));
    }
    void TearDown() override {
        MapFunction::Activate(nullptr);
        for (MapEventListener* listener :
             {static_cast<MapEventListener*>(&first), &plain, static_cast<MapEventListener*>(&second),
              static_cast<MapEventListener*>(&third)})
            module->Listeners().Detach(listener);
        MapWindowFixture::TearDown();
    }
    QWidget* control() const { return module->WindowControl(); }
    bool handCursor() const {
        return control()->testAttribute(Qt::WA_SetCursor) && control()->cursor().shape() == Qt::PointingHandCursor;
    }

    std::vector<std::string> log;
    // Registered first, second, third: asked third, second, first.
    Layer first{"Burg", QRect(0, 0, 100, 100), true, log};
    MapEventListener plain;
    Layer second{"Museum", QRect(50, 50, 100, 100), false, log};
    Layer third{"Zeltplatz", QRect(200, 200, 20, 20), true, log};
    ObjectClickFunction identify;
};

TEST_F(Identify, TheHintOfTheLastRegisteredHitShowsAtTheMouse) {
    move(60, 60, Qt::NoButton);
    EXPECT_EQ(log, (std::vector<std::string>{"ask Zeltplatz", "ask Museum"}));
    EXPECT_EQ(identify.ShownHint(), "Museum");
    EXPECT_EQ(QToolTip::text(), "Museum");
    EXPECT_TRUE(handCursor());

    log.clear();
    move(10, 10, Qt::NoButton);
    EXPECT_EQ(log, (std::vector<std::string>{"ask Zeltplatz", "ask Museum", "ask Burg"}));
    EXPECT_EQ(QToolTip::text(), "Burg");

    // Over nothing: no hint, the normal cursor.
    move(300, 10, Qt::NoButton);
    EXPECT_TRUE(identify.ShownHint().isEmpty());
    EXPECT_FALSE(handCursor());
    // The tip fades out on its own timer.
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

TEST_F(Identify, AClickIsOfferedLastRegisteredFirstUntilOneHandlesIt) {
    press(60, 60);
    release(60, 60);
    // Zeltplatz handles every click it is offered.
    EXPECT_EQ(log, (std::vector<std::string>{"click Zeltplatz"}));

    module->Listeners().Detach(&third);
    log.clear();
    press(60, 60);
    EXPECT_EQ(log, (std::vector<std::string>{"click Museum", "click Burg"}));

    log.clear();
    press(60, 60, Qt::MiddleButton);
    EXPECT_TRUE(log.empty());
}

TEST_F(Identify, LeavingClearsTheHint) {
    move(10, 10, Qt::NoButton);
    ASSERT_EQ(identify.ShownHint(), "Burg");
    control()->setToolTip("Burg");
    CenterFunction next;
    ASSERT_TRUE(MapFunction::Activate(&next));
    EXPECT_TRUE(identify.ShownHint().isEmpty());
    EXPECT_TRUE(control()->toolTip().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
    MapFunction::Activate(nullptr);
}

// --- switching functions through their actions ---

// An editor with unsaved input: it refuses to leave while told to.
class StubbornFunction : public MapFunction {
public:
    bool refuse = true;
    bool Leave(MapFunction* next) override { return refuse ? false : MapFunction::Leave(next); }
};

TEST_F(Centring, AFunctionThatRefusesToLeaveKeepsItsActionChecked) {
    auto stubborn = std::make_shared<StubbornFunction>();
    auto other = std::make_shared<CenterFunction>();
    TMapFunctionAction stubbornAction("&Zeichnen", stubborn);
    TMapFunctionAction otherAction("&Zentrieren", other);

    stubbornAction.execute();
    otherAction.update();
    ASSERT_EQ(MapFunction::Active(), stubborn.get());
    EXPECT_TRUE(stubbornAction.isChecked());
    EXPECT_FALSE(otherAction.isChecked());

    otherAction.execute();
    stubbornAction.update();
    EXPECT_EQ(MapFunction::Active(), stubborn.get());
    EXPECT_TRUE(stubbornAction.isChecked());
    EXPECT_FALSE(otherAction.isChecked());

    stubborn->refuse = false;
    otherAction.execute();
    stubbornAction.update();
    EXPECT_EQ(MapFunction::Active(), other.get());
    EXPECT_FALSE(stubbornAction.isChecked());
    EXPECT_TRUE(otherAction.isChecked());
    MapFunction::Activate(nullptr);
}

} // namespace
