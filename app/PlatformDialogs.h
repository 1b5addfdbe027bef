#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;
class QWidget;

// Every message box and common dialog of the viewer goes through one small
// interface, so that tests can answer them without a screen. The default
// implementation shows the Qt dialogs with German buttons.
namespace Platform {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Error, Question };
// The numbers are the answers' classic dialog ids, which close listeners and
// callers pass on unchanged (6 = Yes, 7 = No).
enum class MsgResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct FileDialogRequest {
    QString caption;
    QString directory;
    QString fileName;      // proposed name (save) or selection (open)
    QString filter;        // Qt filter string, e.g. "Bitmap (*.bmp)"
    QString defaultSuffix; // appended by the save dialog when the user gives none
    bool multiple = false; // open: several files may be chosen
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption, MsgButtons buttons,
                                 MsgIcon icon) = 0;
    // Empty list: cancelled.
    virtual QStringList openFileNames(QWidget* parent, const FileDialogRequest& request) = 0;
    // Empty string: cancelled.
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    // Shows the print dialog for the printer; false when cancelled.
    virtual bool printDialog(QWidget* parent, QPrinter* printer) = 0;
    // Opens a document (the help page) in the desktop's viewer without waiting;
    // false when no viewer could be started.
    virtual bool openDocument(const QString& path) = 0;
};

// The dialogs in use: the installed ones, else the Qt dialogs.
Dialogs& dialogs();
// Installs replacement dialogs (not owned); nullptr restores the Qt dialogs.
void setDialogs(Dialogs* replacement);

class QtDialogs : public Dialogs {
public:
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    QStringList openFileNames(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    bool printDialog(QWidget* parent, QPrinter* printer) override;
    bool openDocument(const QString& path) override;
};

} // namespace Platform
