#include "OverlayFiles.h"

#include "CustomColourList.h"
#include "DrawTreeItem.h"
#include "ModulBasis.h"
#include "Paths.h"
#include "PlatformDialogs.h"
#include "QvoFormat.h"
#include "UserDrawFileTypes.h"
#include "XML_StreamTarget.h"
#include "ZeichnenAuswahlFrame.h"

#include <QPointer>

namespace UserDraw {

namespace {

const QString Caption = QStringLiteral("Zeichenfunktion");

struct FrameLink {
    QPointer<TZeichnenAuswahlFrame> frame;
    std::function<TZeichnenAuswahlFrame*()> provider;
    bool started = false;
    bool autoloaded = false;
};

FrameLink& link() {
    static FrameLink l;
    return l;
}

void reportSaveFailure(QWidget* parent) {
    Platform::dialogs().messageBox(parent,
                                   QStringLiteral("Datei konnte nicht gespeichert werden.\nEine vorhandene Datei "
                                                  "dieses Namens ist unverändert geblieben."),
                                   Caption, Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
}

void runAutoloadOnce() {
    FrameLink& l = link();
    if (!l.started || !l.frame || l.autoloaded)
        return;
    l.autoloaded = true;
    autoload(*l.frame);
}

} // namespace

bool loadFile(TZeichnenAuswahlFrame& frame, const QString& fileName) {
    return loadFile(frame, fileName, &dialogCustomColours());
}

bool loadFile(TZeichnenAuswahlFrame& frame, const QString& fileName, CustomColourList* colours) {
    TDrawTreeView* tree = frame.tvObjects();
    tree->clearBelowRoot();
    frame.setChangeCount(0);
    FileLoader* loader = FileTypes::loaderFor(fileName);
    if (!loader)
        return false;
    UD1_XML_TreeStreamTarget target(frame.root(), colours);
    if (!loader->load(fileName, target) || !target.accepted()) {
        tree->clearBelowRoot();
        emit frame.mapChanged();
        return false;
    }
    frame.root()->setExpanded(true);
    frame.setChangeCount(0);
    emit frame.mapChanged();
    return true;
}

bool saveToFile(TZeichnenAuswahlFrame& frame, const QString& fileName, QWidget* parent) {
    FileSaver* saver = FileTypes::saverFor(fileName);
    std::unique_ptr<XML_StreamTarget> target = saver ? saver->open(fileName) : nullptr;
    if (!target) {
        reportSaveFailure(parent);
        return false;
    }
    bool ok = false;
    try {
        target->startDocument();
        UD1_TreeToXMLStreamConverter::writeOverlay(&dialogCustomColours(), frame.root(), *target);
        ok = target->close(true);
    } catch (...) {
        saver->finish(fileName, false, std::move(target));
        throw;
    }
    ok = saver->finish(fileName, ok, std::move(target));
    if (!ok) {
        reportSaveFailure(parent);
        return false;
    }
    frame.setChangeCount(0);
    return true;
}

bool saveOverlay(TZeichnenAuswahlFrame& frame, QWidget* parent) {
    Platform::FileDialogRequest request;
    request.caption = QStringLiteral("Zeichnungselemente speichern");
    request.filter = FileTypes::dialogFilter(FileTypes::combinedSaveFilter());
    for (;;) {
        const QString fileName = Platform::dialogs().saveFileName(parent, request);
        if (fileName.isEmpty())
            return false;
        request.fileName = fileName;
        FileSaver* saver = FileTypes::saverFor(fileName);
        if (!saver || !saver->confirm(parent))
            continue;
        return saveToFile(frame, fileName, parent);
    }
}

void loadOverlay(TZeichnenAuswahlFrame& frame, QWidget* parent) {
    if (frame.tvObjects()->nodeCount() > 1 &&
        Platform::dialogs().messageBox(parent,
                                       QStringLiteral("Zum Laden müssen die vorhandenen Zeichnungselemente gelöscht "
                                                      "werden.\nSoll dies geschehen?"),
                                       Caption, Platform::MsgButtons::YesNo,
                                       Platform::MsgIcon::Error) != Platform::MsgResult::Yes)
        return;
    Platform::FileDialogRequest request;
    request.caption = QStringLiteral("Zeichnungselemente laden");
    request.filter = FileTypes::dialogFilter(FileTypes::combinedLoadFilter());
    request.defaultSuffix = QStringLiteral("qvo");
    const QStringList files = Platform::dialogs().openFileNames(parent, request);
    if (files.isEmpty())
        return;
    if (!loadFile(frame, files.first()))
        Platform::dialogs().messageBox(parent, QStringLiteral("Datei konnte nicht geladen werden"), Caption,
                                       Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
}

void attachFrame(TZeichnenAuswahlFrame* frame) {
    link().frame = frame;
    runAutoloadOnce();
}

TZeichnenAuswahlFrame* attachedFrame() {
    return link().frame;
}

void setFrameProvider(std::function<TZeichnenAuswahlFrame*()> provider) {
    link().provider = std::move(provider);
}

TZeichnenAuswahlFrame* frameForOpening() {
    if (!link().frame && link().provider)
        attachFrame(link().provider());
    return link().frame;
}

void resetFrameLink() {
    link() = FrameLink{};
}

void markStarted() {
    link().started = true;
    runAutoloadOnce();
}

bool autoload(TZeichnenAuswahlFrame& frame) {
    // A damaged file at start-up is reported like any file error, and the
    // program starts with an empty drawing.
    const auto attempt = [&frame](const QString& fileName) {
        try {
            return loadFile(frame, fileName);
        } catch (const std::exception& error) {
            frame.tvObjects()->clearBelowRoot();
            frame.setChangeCount(0);
            emit frame.mapChanged();
            Modul::showException(QStringLiteral("%1\n\n%2").arg(fileName, QString::fromUtf8(error.what())));
            return false;
        }
    };
    if (attempt(Singletons::Paths::instance().dataDirectory() + QStringLiteral("autoload.qvo")))
        return true;
    Modul::Basis* basis = Modul::Basis::instance();
    const QString last = basis ? basis->readSetting(QStringLiteral("LastOverlayPathName")) : QString();
    return !last.isEmpty() && attempt(last);
}

int closeQuery(TZeichnenAuswahlFrame* frame, QWidget* parent) {
    if (!frame || frame->changeCount() == 0)
        return 0;
    switch (Platform::dialogs().messageBox(parent,
                                           QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden.\nWollen "
                                                          "Sie diese vor dem Beenden des Programms speichern?"),
                                           Caption, Platform::MsgButtons::YesNoCancel, Platform::MsgIcon::Question)) {
    case Platform::MsgResult::Yes:
        return saveOverlay(*frame, parent) ? 6 : 7;
    case Platform::MsgResult::No:
        return 6;
    default:
        return 7;
    }
}

} // namespace UserDraw
