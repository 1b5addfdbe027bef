#pragma once

#include <QDialog>

#include <functional>

// A small tool window for a frame that lives outside the page frames (the
// measuring window, the GPS window): it stays above the main window, its
// title bar carries only the close button, and the frame fills it.
class TFrameDialog : public QDialog {
    Q_OBJECT
public:
    TFrameDialog(QWidget* frame, QWidget* owner, const QString& caption = QString());

    QWidget* frame() const { return m_frame; }
    // Called when the window is closed; nothing else happens on close.
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* m_frame;
};
