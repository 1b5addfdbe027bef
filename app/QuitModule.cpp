#include "MainWindow.h"
#include "ModularAction.h"
#include "StartupSequence.h"

namespace {

// The toolkit's standard exit action closes the main window, which asks the
// close query first; the menu entry wraps it.
const Startup::Registration registration(Startup::Quit, "quit", [](Startup::Context& context) {
    TMainWindow* window = &context.mainWindow;
    auto* exit = new QAction(QStringLiteral("&Beenden"), window);
    QObject::connect(exit, &QAction::triggered, window, &QWidget::close);
    auto* action = new TModularAction(window);
    action->setAction(exit);
    action->setMenuPath(QStringLiteral("&Karte|(CAT_QUIT)|&Beenden"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    registerAction(action);
});

} // namespace
