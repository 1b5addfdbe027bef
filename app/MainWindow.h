#pragma once

#include "ImageList.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class ModularActionMenu;
class ModularActionToolbar;
class QMenuBar;
class QStatusBar;
class QToolBar;
class TModularAction;

// The main window: menu bar, toolbar, status bar, and the page frame as its
// whole client area. Menu and toolbar start empty and are filled by the
// registered actions; the menu is attached at the end of start-up.
class TMainWindow : public QMainWindow {
    Q_OBJECT
public:
    TMainWindow();
    ~TMainWindow() override;

    QToolBar* tbToolbar() const { return m_toolbar; }
    QStatusBar* sbStatusBar() const { return m_statusBar; }
    QMenuBar* menuMain() const { return m_menu; }
    ImageList& imgListToolbar() { return m_toolbarImages; }
    ImageList& imgListMenu() { return m_menuImages; }

    // Makes menuMain the window's menu bar.
    void attachMainMenu();
    bool isMainMenuAttached() const { return m_menuAttached; }

    // Used by registerAction(): builds the action's menu entry and button.
    void registerModularAction(TModularAction* action, bool useMenuBitmaps);
    void updateModularActions();
    QList<TModularAction*> registeredActions() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QToolBar* m_toolbar;
    QStatusBar* m_statusBar;
    QMenuBar* m_menu;
    bool m_menuAttached = false;
    ImageList m_toolbarImages{QSize(24, 24)};
    ImageList m_menuImages{QSize(16, 16)};
    std::unique_ptr<ModularActionMenu> m_menuBuilder;
    std::unique_ptr<ModularActionToolbar> m_toolbarBuilder;
    QList<QPointer<TModularAction>> m_actions;
    bool m_updating = false;
};
