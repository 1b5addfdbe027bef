#include "FrameDialog.h"

#include <QCloseEvent>
#include <QVBoxLayout>

TFrameDialog::TFrameDialog(QWidget* frame, QWidget* owner, const QString& caption)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_frame(frame) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (frame != nullptr) {
        frame->setParent(this);
        layout->addWidget(frame);
    }
}

void TFrameDialog::closeEvent(QCloseEvent* event) {
    if (onClose)
        onClose();
    QDialog::closeEvent(event);
}
