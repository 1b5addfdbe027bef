#include "HelpModule.h"

#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "PlatformDialogs.h"
#include "StartupSequence.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace Modul::Help {

QString helpFileName(const QString& programPath) {
    const qsizetype slash = programPath.lastIndexOf(u'/');
    const qsizetype dot = programPath.lastIndexOf(u'.');
    // Only a dot inside the file name starts an extension.
    const QString stem = (dot > slash + 1) ? programPath.left(dot) : programPath;
    return stem + QStringLiteral(".html");
}

namespace {

QPointer<QTextBrowser>& ownWindow() {
    static QPointer<QTextBrowser> window;
    return window;
}

void showInOwnWindow(const QString& file) {
    Basis* basis = Basis::instance();
    QPointer<QTextBrowser>& window = ownWindow();
    if (!window) {
        // A window of its own beside the main window, gone with it.
        window = new QTextBrowser(basis ? basis->mainWindow() : nullptr);
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(QStringLiteral("HelpWindow"));
        window->setOpenExternalLinks(true);
        window->resize(720, 640);
    }
    window->setWindowTitle((basis ? basis->appTitle() : applicationTitle()) + QStringLiteral(" – Hilfe"));
    window->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

QTextBrowser* helpWindow() {
    return ownWindow().data();
}

void openHelpFile(const QString& file) {
    if (!QFileInfo(file).isFile()) {
        // A missing page would only show the viewer's own complaint; say it here.
        Basis* basis = Basis::instance();
        Platform::dialogs().messageBox(
            basis ? basis->mainWindow() : nullptr, QStringLiteral("Konnte Hilfe nicht öffnen"),
            basis ? basis->appTitle() : applicationTitle(), Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
        return;
    }
    if (!Platform::dialogs().openDocument(file))
        showInOwnWindow(file);
}

QString helpFile(const QString& programPath) {
    // An installed program finds its page among the installed data; in the
    // build tree the page lies beside the program.
    const QString installed = QDir::cleanPath(QFileInfo(programPath).absolutePath() +
                                              QStringLiteral("/" VISTREL_HELP_FROM_BINDIR "/vistrel.html"));
    if (QFileInfo(installed).isFile())
        return installed;
    return helpFileName(programPath);
}

void openHelp() {
    openHelpFile(helpFile(Basis::programFilePath()));
}

namespace {

const Startup::Registration registration(Startup::HelpContents, "help contents", [](Startup::Context& context) {
    auto* action = new TModularFunctionAction(&openHelp, &context.mainWindow);
    action->setMenuPath(QStringLiteral("&Hilfe|&Inhalt"));
    action->setToolbarBitmapName(QStringLiteral("Modul_Help_Help16"));
    action->setToolbarCategory(QStringLiteral("CAT_HELP"));
    action->setHint(QStringLiteral("Hilfe aufrufen"));
    action->setShortcut(QKeySequence::HelpContents);
    registerAction(action);
});

} // namespace

} // namespace Modul::Help
