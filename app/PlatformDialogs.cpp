#include "PlatformDialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QUrl>

namespace Platform {

namespace {

Dialogs* g_replacement = nullptr;

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Message boxes written to a file instead of shown, each answered with its
// first button: for running the program without anyone at the screen (the
// program-start tests). The other dialogs are the Qt ones.
class LoggedMessages : public QtDialogs {
public:
    explicit LoggedMessages(QString log) : m_log(std::move(log)) {}

    MsgResult messageBox(QWidget*, const QString& text, const QString& caption, MsgButtons buttons, MsgIcon) override {
        QFile file(m_log);
        if (file.open(QIODevice::Append)) {
            QString flat = text;
            flat.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            file.write((caption + QLatin1Char('\t') + flat + QLatin1Char('\n')).toUtf8());
        }
        return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgResult::Yes : MsgResult::Ok;
    }

private:
    QString m_log;
};

} // namespace

Dialogs& dialogs() {
    if (g_replacement)
        return *g_replacement;
    static const QString log = qEnvironmentVariable("VISTREL_DIALOG_LOG");
    if (!log.isEmpty()) {
        static LoggedMessages logged(log);
        return logged;
    }
    static QtDialogs qtDialogs;
    return qtDialogs;
}

void setDialogs(Dialogs* replacement) {
    g_replacement = replacement;
}

MsgResult QtDialogs::messageBox(QWidget* parent, const QString& text, const QString& caption, MsgButtons buttons,
                                MsgIcon icon) {
    QMessageBox box(toQtIcon(icon), caption, text, QMessageBox::NoButton, parent);
    // German texts on the buttons whatever translations are installed.
    auto add = [&box](QMessageBox::StandardButton button, const QString& text) {
        box.addButton(button)->setText(text);
    };
    switch (buttons) {
    case MsgButtons::Ok:
        add(QMessageBox::Ok, QStringLiteral("OK"));
        break;
    case MsgButtons::OkCancel:
        add(QMessageBox::Ok, QStringLiteral("OK"));
        add(QMessageBox::Cancel, QStringLiteral("Abbrechen"));
        break;
    case MsgButtons::YesNo:
        add(QMessageBox::Yes, QStringLiteral("&Ja"));
        add(QMessageBox::No, QStringLiteral("&Nein"));
        break;
    case MsgButtons::YesNoCancel:
        add(QMessageBox::Yes, QStringLiteral("&Ja"));
        add(QMessageBox::No, QStringLiteral("&Nein"));
        add(QMessageBox::Cancel, QStringLiteral("Abbrechen"));
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        break;
    }
    // Closing the box with Esc or the title bar: the "no" answer of its kind.
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    if (buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return MsgResult::Cancel;
}

QStringList QtDialogs::openFileNames(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

std::optional<QColor> QtDialogs::chooseColor(QWidget* parent, const QColor& initial) {
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

bool QtDialogs::printDialog(QWidget* parent, QPrinter* printer) {
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Platform
