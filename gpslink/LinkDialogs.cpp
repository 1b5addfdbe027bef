#include "LinkDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class WidgetDialogs : public LinkDialogs {
public:
    void message(QWidget* parent, const QString& caption, const QString& text, Icon icon) override {
        QMessageBox box(icon == Icon::Error         ? QMessageBox::Critical
                        : icon == Icon::Information ? QMessageBox::Information
                                                    : QMessageBox::NoIcon,
                        caption, text, QMessageBox::Ok, parent);
        box.exec();
    }
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override {
        return QMessageBox::information(parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& filters) override {
        QFileDialog dialog(parent, caption, QString(), filters);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setFileMode(QFileDialog::AnyFile);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& filters) override {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filters);
    }
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

class ScriptedDialogs : public LinkDialogs {
public:
    ScriptedDialogs(QString log, bool yes, QString file) : m_log(std::move(log)), m_yes(yes), m_file(std::move(file)) {}

    void message(QWidget*, const QString& caption, const QString& text, Icon) override { append(caption, text); }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        append(caption, text);
        return m_yes;
    }
    QString saveFileName(QWidget*, const QString& caption, const QString&) override {
        append(caption, m_file);
        return m_file;
    }
    QString openFileName(QWidget*, const QString& caption, const QString&) override {
        append(caption, m_file);
        return m_file;
    }
    int exec(QDialog& dialog) override {
        append(dialog.windowTitle(), QString());
        return QDialog::Rejected;
    }

private:
    void append(const QString& caption, const QString& text) {
        QFile file(m_log);
        if (file.open(QIODevice::Append)) {
            QString flat = text;
            flat.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            file.write((caption + QLatin1Char('\t') + flat + QLatin1Char('\n')).toUtf8());
        }
    }

    QString m_log;
    bool m_yes;
    QString m_file;
};

} // namespace

std::unique_ptr<LinkDialogs> LinkDialogs::forEnvironment() {
    const QString log = qEnvironmentVariable("GPSLINK_DIALOG_LOG");
    if (log.isEmpty())
        return std::make_unique<WidgetDialogs>();
    return std::make_unique<ScriptedDialogs>(log, qEnvironmentVariable("GPSLINK_DIALOG_ANSWER") == QLatin1String("yes"),
                                             qEnvironmentVariable("GPSLINK_DIALOG_FILE"));
}
