// The overlay file module's part in start-up: the readers and writers of the
// two formats, the autoload of the drawing, the question about unsaved
// changes before the program closes, and the opening of drawings named on the
// command line.

#include "AppEventListener.h"
#include "DrawTreeItem.h"
#include "FileArguments.h"
#include "MainWindow.h"
#include "OverlayFileTypes.h"
#include "OverlayFiles.h"
#include "PlatformDialogs.h"
#include "StartupSequence.h"
#include "UserDrawFileTypes.h"
#include "ZeichnenAuswahlFrame.h"

#include <QFileInfo>

namespace {

using namespace Modul::UserDraw::FileTypes;

class OverlayCloseListener : public AppEventListener {
public:
    explicit OverlayCloseListener(QWidget* parent) : m_parent(parent) {}
    int closeQuery() override { return UserDraw::closeQuery(UserDraw::attachedFrame(), m_parent); }

private:
    QWidget* m_parent;
};

bool openFromCommandLine(const QString& path, QWidget* parent) {
    const QString caption = QStringLiteral("Zeichenfunktion");
    TZeichnenAuswahlFrame* frame = UserDraw::frameForOpening();
    if (!frame) {
        Platform::dialogs().messageBox(
            parent,
            QStringLiteral("Die Zeichnung „%1“ kann nicht geladen werden: die Zeichenfunktion ist nicht verfügbar.")
                .arg(QFileInfo(path).fileName()),
            caption, Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
        return false;
    }
    // Unsaved elements are not replaced without asking; an unchanged tree
    // (the autoloaded drawing, say) is on disk already.
    if (frame->changeCount() != 0 &&
        Platform::dialogs().messageBox(parent,
                                       QStringLiteral("Zum Laden müssen die vorhandenen Zeichnungselemente gelöscht "
                                                      "werden.\nSoll dies geschehen?"),
                                       caption, Platform::MsgButtons::YesNo,
                                       Platform::MsgIcon::Error) != Platform::MsgResult::Yes)
        return false;
    bool loaded = false;
    QString reason;
    try {
        loaded = UserDraw::loadFile(*frame, path);
    } catch (const std::exception& error) {
        frame->tvObjects()->clearBelowRoot();
        frame->setChangeCount(0);
        emit frame->mapChanged();
        reason = QStringLiteral("\n\n") + QString::fromUtf8(error.what());
    }
    if (!loaded)
        Platform::dialogs().messageBox(parent, QStringLiteral("Datei konnte nicht geladen werden") + reason, caption,
                                       Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
    return loaded;
}

const Startup::Registration readers(Startup::OverlayReaders, "overlay file readers", [](Startup::Context&) {
    UserDraw::FileTypes::addLoader(std::make_unique<LoadGPX>());
    UserDraw::FileTypes::addLoader(std::make_unique<LoadQVO>());
});

const Startup::Registration writers(Startup::OverlayWriters, "overlay file writers", [](Startup::Context& context) {
    UserDraw::FileTypes::addSaver(std::make_unique<SaveGPX>());
    UserDraw::FileTypes::addSaver(std::make_unique<SaveQVO>());
    QWidget* window = &context.mainWindow;
    new OverlayCloseListener(window); // registered with the application object, lives until exit
    FileArguments::addOpener({QStringLiteral("qvo"), QStringLiteral("gpx")},
                             [window](const QString& path) { return openFromCommandLine(path, window); });
    UserDraw::markStarted();
});

} // namespace
