#include "DrawingModule.h"

#include "DataPage.h"
#include "MainWindow.h"
#include "ModularAction.h"
#include "OverlayFiles.h"
#include "StartupSequence.h"
#include "StdDrawStrategies.h"
#include "UserDrawFunction.h"
#include "ZeichnenFrame.h"
#include "ZeichnenNeuBearbFrame.h"

#include <QPointer>

#include <memory>

namespace DrawingModule {
namespace {

struct State {
    UserDrawFunction* function = nullptr; // owned by the action
    TMapFunctionAction* action = nullptr;
    QPointer<TZeichnenFrame> frame;
    DataPageInfo page{false, QStringLiteral("Zeichnen")};
    bool shown = false;
};

State& state() {
    static State instance;
    return instance;
}

void start(Startup::Context& context) {
    State& s = state();
    // The kinds' default records, bound to the strategies that start from them.
    StdDrawStrategies::bindDefaultAppearances();

    auto function = std::make_shared<UserDrawFunction>();
    s.function = function.get();
    s.action = new TMapFunctionAction(QStringLiteral("&Zeichnen"), function, &context.mainWindow);
    s.action->setObjectName(QStringLiteral("Modul_Zeichnen"));
    s.action->setToolbarBitmapName(QStringLiteral("MODUL_ZEICHNEN"));
    s.action->setToolbarCategory(QStringLiteral("CAT_FUNCTION"));
    s.action->setHint(QStringLiteral("Zeichnen"));
    registerAction(s.action);

    // The frame belongs to the application; the page shows it once it is
    // first made current.
    s.frame = new TZeichnenFrame(&context.mainWindow);
    s.frame->hide();
    s.frame->setAction(s.action);
    s.frame->neuBearbFrame()->setIdleFunction(s.function);

    s.page.creator = [](QWidget*) -> QWidget* { return state().frame.data(); };
    s.page.onShow = [](QWidget*) {
        State& st = state();
        st.shown = true;
        if (st.frame)
            st.frame->pageShown();
    };
    s.page.mayLeave = [](bool& allow) {
        if (!allow)
            return;
        State& st = state();
        st.shown = false;
        MapFunction::ActivateDefault();
    };
    if (BaseDataPageManager* pages = BaseDataPageManager::instance())
        pages->addPage(&s.page);

    s.function->pageShown = [] { return state().shown; };
    s.function->showPage = [] {
        if (BaseDataPageManager* pages = BaseDataPageManager::instance())
            pages->showPage(&state().page);
    };

    UserDraw::setFrameProvider([] { return state().frame ? state().frame->auswahlFrame() : nullptr; });
    UserDraw::attachFrame(s.frame->auswahlFrame());
}

const Startup::Registration step(Startup::Drawing, "drawing", start);

} // namespace

TZeichnenFrame* frame() {
    return state().frame.data();
}

UserDrawFunction* function() {
    return state().function;
}

TMapFunctionAction* action() {
    return state().action;
}

DataPageInfo* page() {
    return &state().page;
}

bool pageShown() {
    return state().shown;
}

} // namespace DrawingModule
