#include "MainWindow.h"

#include "ModulBasis.h"
#include "ModularAction.h"
#include "ModularActionMenu.h"
#include "ModularActionToolbar.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "AppResources.h"

TMainWindow::TMainWindow() {
    setObjectName(QStringLiteral("TMainWindow"));
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setWindowIcon(AppResources::programIcon());

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("tbToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setFixedHeight(40);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("sbStatusBar"));
    setStatusBar(m_statusBar);

    // Kept aside until start-up attaches it, so that a half-built menu is
    // never seen.
    m_menu = new QMenuBar(this);
    m_menu->setObjectName(QStringLiteral("menuMain"));
    m_menu->hide();

    // The actions follow the map's state whenever the application is idle.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TMainWindow::updateModularActions);
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::attachMainMenu() {
    if (m_menuAttached)
        return;
    m_menuAttached = true;
    setMenuBar(m_menu);
    m_menu->show();
}

void TMainWindow::registerModularAction(TModularAction* action, bool useMenuBitmaps) {
    if (!m_toolbarBuilder)
        m_toolbarBuilder = std::make_unique<ModularActionToolbar>(m_toolbar, &m_toolbarImages);
    if (!m_menuBuilder)
        m_menuBuilder = std::make_unique<ModularActionMenu>(m_menu);
    if (action->parent() == nullptr)
        action->setParent(this);
    m_actions.append(action);
    m_menuBuilder->insert(action, useMenuBitmaps ? &m_menuImages : nullptr);
    m_toolbarBuilder->insert(action);
    action->update();
}

void TMainWindow::updateModularActions() {
    if (m_updating)
        return;
    m_updating = true;
    for (const QPointer<TModularAction>& action : std::as_const(m_actions)) {
        if (!action)
            continue;
        // An update runs at every idle moment; a failing one must neither
        // stop the others nor flood the user with messages.
        try {
            action->update();
        } catch (const std::exception&) {
        }
    }
    m_updating = false;
}

QList<TModularAction*> TMainWindow::registeredActions() const {
    QList<TModularAction*> actions;
    for (const QPointer<TModularAction>& action : m_actions) {
        if (action)
            actions.append(action);
    }
    return actions;
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    Modul::Basis* basis = Modul::Basis::instance();
    if (basis != nullptr && basis->mainWindow() == this && !basis->closeQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}
