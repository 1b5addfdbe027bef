#include "EscapeThread.h"

#include <QCoreApplication>
#include <QKeyEvent>

TEscapeThread& TEscapeThread::instance() {
    static TEscapeThread* watcher = new TEscapeThread; // lives until the process ends
    return *watcher;
}

TEscapeThread::TEscapeThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

const volatile unsigned char* TEscapeThread::reset() {
    m_flag = 0;
    return &m_flag;
}

bool TEscapeThread::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_flag = 1;
    }
    return QObject::eventFilter(watched, event);
}
