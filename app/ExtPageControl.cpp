#include "ExtPageControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace {

// The tab bar of the page control: every switch the user makes with it asks
// the page control first.
class ExtTabBar : public QTabBar {
public:
    ExtTabBar(TExtPageControl* owner) : QTabBar(owner), m_owner(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            const int index = tabAt(event->position().toPoint());
            if (index >= 0 && index != currentIndex() && isTabEnabled(index) && !m_owner->allowChange()) {
                event->accept();
                return;
            }
        }
        QTabBar::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (!m_owner->allowChange()) {
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
        QTabBar::keyPressEvent(event);
    }

    // The wheel does not switch pages: it would pass the may-leave question by.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    TExtPageControl* m_owner;
};

} // namespace

TExtPageControl::TExtPageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new ExtTabBar(this));
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        emit BeforeChangeEvent(this, index);
        emit pageChanged(this, index);
    });
}

bool TExtPageControl::allowChange() {
    return !changing || changing(this);
}

bool TExtPageControl::userSelect(int index) {
    if (index == currentIndex())
        return true;
    if (index < 0 || index >= count() || !allowChange())
        return false;
    setCurrentIndex(index);
    return currentIndex() == index;
}

void TExtPageControl::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool switching = ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
                                    event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown);
    if (switching && !allowChange()) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}
