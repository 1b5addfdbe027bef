#pragma once

#include <QTabWidget>

#include <functional>

// A page control with one extra event, BeforeChangeEvent (sender, new page
// index), raised on every page change before the ordinary change handling
// (pageChanged). A switch the user starts (a click on a tab, the keyboard)
// first asks the changing handler, which can refuse it.
class TExtPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TExtPageControl(QWidget* parent = nullptr);

    // Asked before a switch by the user; false keeps the current page.
    std::function<bool(TExtPageControl* sender)> changing;

    // A switch as the user would make it: asks the changing handler first.
    // True when the page is now the current one.
    bool userSelect(int index);
    bool allowChange();

signals:
    void BeforeChangeEvent(TExtPageControl* sender, int newIndex);
    void pageChanged(TExtPageControl* sender, int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
