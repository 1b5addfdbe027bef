#include "TestSupport.h"

#include <QCoreApplication>
#include <QThread>

namespace TestSupport {

bool processUntil(const std::function<bool()>& condition, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return condition();
}

} // namespace TestSupport
