#include "FileArguments.h"

#include "ModulBasis.h"
#include "PlatformDialogs.h"

#include <QFileInfo>
#include <QHash>

namespace FileArguments {

namespace {

QHash<QString, Opener>& openers() {
    static QHash<QString, Opener> table;
    return table;
}

void report(QWidget* parent, const QString& text) {
    Modul::Basis* basis = Modul::Basis::instance();
    Platform::dialogs().messageBox(parent, text, basis ? basis->appTitle() : Modul::applicationTitle(),
                                   Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation);
}

} // namespace

void addOpener(const QStringList& suffixes, Opener opener) {
    for (const QString& suffix : suffixes)
        openers().insert(suffix.toLower(), opener);
}

int open(const QStringList& files, QWidget* parent) {
    int opened = 0;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile()) {
            report(parent, QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(file));
            continue;
        }
        const QString suffix = info.suffix().toLower();
        const auto opener = openers().constFind(suffix);
        if (opener != openers().cend()) {
            opened += opener.value()(info.absoluteFilePath()) ? 1 : 0;
            continue;
        }
        report(parent, QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: Dateien dieser Art "
                                      "öffnet das Programm nicht.")
                           .arg(info.fileName()));
    }
    return opened;
}

} // namespace FileArguments
