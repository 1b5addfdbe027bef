#include "ScriptedDialogs.h"

namespace Platform {

ScriptedDialogs::ScriptedDialogs() {
    setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    if (&dialogs() == this)
        setDialogs(nullptr);
}

MsgResult ScriptedDialogs::messageBox(QWidget*, const QString& text, const QString& caption, MsgButtons buttons,
                                      MsgIcon icon) {
    messages.append({text, caption, buttons, icon});
    if (onMessage)
        onMessage(text);
    if (!messageAnswers.empty()) {
        const MsgResult answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgResult::Yes : MsgResult::Ok;
}

QStringList ScriptedDialogs::openFileNames(QWidget*, const FileDialogRequest& request) {
    fileRequests.append(request);
    if (openAnswers.empty())
        return {};
    QStringList answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::saveFileName(QWidget*, const FileDialogRequest& request) {
    fileRequests.append(request);
    if (saveAnswers.empty())
        return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor&) {
    if (colorAnswers.empty())
        return std::nullopt;
    std::optional<QColor> answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::printDialog(QWidget*, QPrinter*) {
    ++printDialogs;
    if (printAnswers.empty())
        return false;
    const bool answer = printAnswers.front();
    printAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::openDocument(const QString& path) {
    openedDocuments.append(path);
    return openDocumentResult;
}

} // namespace Platform
