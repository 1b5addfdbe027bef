#include "HelpModule.h"

#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "PlatformDialogs.h"
#include "StartupSequence.h"

#include <QFileInfo>

namespace Modul::Help {

QString helpFileName(const QString& programPath) {
    const qsizetype slash = programPath.lastIndexOf(u'/');
    const qsizetype dot = programPath.lastIndexOf(u'.');
    // Only a dot inside the file name starts an extension.
    const QString stem = (dot > slash + 1) ? programPath.left(dot) : programPath;
    return stem + QStringLiteral(".html");
}

void openHelp() {
    const QString file = helpFileName(Basis::programFilePath());
    // A missing page would only show the viewer's own complaint; say it here.
    const bool opened = QFileInfo(file).isFile() && Platform::dialogs().openDocument(file);
    if (opened)
        return;
    Basis* basis = Basis::instance();
    Platform::dialogs().messageBox(basis ? basis->mainWindow() : nullptr, QStringLiteral("Konnte Hilfe nicht öffnen"),
                                   basis ? basis->appTitle() : QString(), Platform::MsgButtons::Ok,
                                   Platform::MsgIcon::Error);
}

namespace {

const Startup::Registration registration(Startup::HelpContents, "help contents", [](Startup::Context& context) {
    auto* action = new TModularFunctionAction(&openHelp, &context.mainWindow);
    action->setMenuPath(QStringLiteral("&Hilfe|&Inhalt"));
    action->setToolbarBitmapName(QStringLiteral("Modul_Help_Help16"));
    action->setToolbarCategory(QStringLiteral("CAT_HELP"));
    action->setHint(QStringLiteral("Hilfe aufrufen"));
    registerAction(action);
});

} // namespace

} // namespace Modul::Help
