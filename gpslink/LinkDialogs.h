#pragma once

#include <QString>

#include <memory>

class QDialog;
class QWidget;

// Every message box and file dialog of the link program goes through here, so
// that tests answer them without a screen.
class LinkDialogs {
public:
    enum class Icon { None, Information, Error };

    virtual ~LinkDialogs() = default;
    virtual void message(QWidget* parent, const QString& caption, const QString& text, Icon icon) = 0;
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& filters) = 0;
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& filters) = 0;
    // Runs a modal dialog and returns its result code.
    virtual int exec(QDialog& dialog) = 0;

    // The real dialogs, or with GPSLINK_DIALOG_LOG set (tests of the whole
    // program) scripted ones: every box is appended to that file as
    // "caption<TAB>text" and answered from GPSLINK_DIALOG_ANSWER ("yes" or
    // "no") and GPSLINK_DIALOG_FILE (the file a file dialog picks).
    static std::unique_ptr<LinkDialogs> forEnvironment();
};
