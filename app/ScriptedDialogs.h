#pragma once

#include "PlatformDialogs.h"

#include <QList>

#include <deque>
#include <functional>

namespace Platform {

// Dialogs that answer from a script and remember what was asked; for tests.
// Installs itself on construction and restores the Qt dialogs on destruction.
// A message box with no scripted answer gets the first button's answer
// (OK or Yes); file dialogs with no scripted answer are cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct MessageCall {
        QString text;
        QString caption;
        MsgButtons buttons;
        MsgIcon icon;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    std::deque<MsgResult> messageAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::deque<bool> printAnswers;
    bool openDocumentResult = true;
    // Called for each message box before it is answered (e.g. to change the
    // world the caller will look at again).
    std::function<void(const QString& text)> onMessage;

    QList<MessageCall> messages;
    QList<FileDialogRequest> fileRequests;
    QStringList openedDocuments;
    int printDialogs = 0;

    MsgResult messageBox(QWidget* parent, const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    QStringList openFileNames(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    bool printDialog(QWidget* parent, QPrinter* printer) override;
    bool openDocument(const QString& path) override;
};

} // namespace Platform
