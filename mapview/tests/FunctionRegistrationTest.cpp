// The start-up steps of the map functions: their actions in the menu and on
// the toolbar, and what the zoom buttons do.
#include "FunctionTestSupport.h"

#include "CenterFunction.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ObjectClickFunction.h"
#include "StartupSequence.h"
#include "ZoomFunction.h"

#include <set>

namespace {

class Registrations : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
        basis = std::make_unique<Modul::Basis>();
        DataMedium::StartupData data;
        Startup::Context context{*basis, *basis->mainWindow(), data};
        const std::set<int> ours = {Startup::MapFunctionCenter, Startup::MapFunctionZoom,
                                    Startup::MapFunctionObjectClick};
        for (const Startup::Step& step : Startup::steps())
            if (ours.count(step.order) != 0)
                step.run(context);
        actions = basis->mainWindow()->registeredActions();
    }
    void TearDown() override {
        MapFunction::Activate(nullptr);
        actions.clear();
        basis.reset();
        MapWindowFixture::TearDown();
    }
    std::unique_ptr<Modul::Basis> basis;
    QList<TModularAction*> actions;
};

TEST_F(Registrations, SixActionsInTheirOrderWithTheirTexts) {
    struct Expected {
        const char* menuPath;
        const char* category;
        const char* hint;
    };
    const Expected expected[] = {
        {"&Funktion|&Zentrieren", "CAT_FUNCTION", "Zentrieren"},
        {"&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Hineinzoomen", "CAT_VIEW_MAP", "Hineinzoomen"},
        {"&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Herauszoomen", "CAT_VIEW_MAP", "Herauszoomen"},
        {"&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&1:1", "CAT_VIEW_MAP", "Zoom auf 1:1"},
        {"&Funktion|Z&oomen", "CAT_FUNCTION", "Ausschnitt vergrößern"},
        {"&Funktion|&Objekt identifizieren", "CAT_FUNCTION", "Objekt identifizieren"},
    };
    ASSERT_EQ(actions.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(actions[i]->menuPath(), QString::fromUtf8(expected[i].menuPath)) << i;
        EXPECT_EQ(actions[i]->toolbarCategory(), QString::fromUtf8(expected[i].category)) << i;
        EXPECT_EQ(actions[i]->hint(), QString::fromUtf8(expected[i].hint)) << i;
        EXPECT_FALSE(actions[i]->toolbarBitmap().isNull()) << i;
    }
    auto functionOf = [&](int i) {
        auto* action = qobject_cast<TMapFunctionAction*>(actions[i]);
        return action ? action->mapFunction() : nullptr;
    };
    EXPECT_NE(dynamic_cast<CenterFunction*>(functionOf(0)), nullptr);
    EXPECT_NE(dynamic_cast<ZoomFunction*>(functionOf(4)), nullptr);
    EXPECT_NE(dynamic_cast<ObjectClickFunction*>(functionOf(5)), nullptr);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(qobject_cast<ModularZoomAction*>(actions[i]), nullptr) << i;

    // Executing a function action makes its function the active one.
    actions[4]->execute();
    EXPECT_EQ(MapFunction::Active(), functionOf(4));
    EXPECT_TRUE(actions[4]->isChecked());
}

TEST_F(Registrations, TheZoomButtonsHalveDoubleAndReset) {
    setView(2.0, 2000, 2000);
    actions[1]->execute();
    EXPECT_DOUBLE_EQ(window->ZoomFactor(), 4.0);
    actions[2]->execute();
    actions[2]->execute();
    EXPECT_DOUBLE_EQ(window->ZoomFactor(), 1.0);
    actions[2]->execute();
    actions[3]->execute();
    EXPECT_DOUBLE_EQ(window->ZoomFactor(), 1.0);
}

} // namespace
