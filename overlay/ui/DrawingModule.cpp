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
        if (TZeichnenFrame* frame = state().frame.data())
            frame->pageShown();
    };
    s.page.mayLeave = [](bool& allow) {
        // Leaving the page ends drawing; an open editor keeps its element
        // and goes on when the page is shown again.
        if (allow)
            MapFunction::ActivateDefault();
    };
    if (BaseDataPageManager* pages = BaseDataPageManager::instance())
        pages->addPage(&s.page);

    s.function->pageShown = [] { return pageShown(); };
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
    // The page's content is visible exactly while its tab is the current one.
    const TZeichnenFrame* frame = state().frame.data();
    return frame != nullptr && frame->isVisible();
}

} // namespace DrawingModule
