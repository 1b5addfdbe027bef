#include "ModularActionMenu.h"

#include "ImageList.h"
#include "ModularAction.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace {

QString plainCaption(QString caption) {
    return caption.remove(u'&').toCaseFolded();
}

void copyState(QAction* item, const TModularAction* action) {
    item->setText(action->text());
    item->setToolTip(action->toolTip());
    item->setStatusTip(action->statusTip());
    item->setEnabled(action->isEnabled());
    item->setCheckable(action->isCheckable());
    item->setChecked(action->isChecked());
    item->setVisible(action->isVisible());
}

// The action an item is bound to, kept on the item.
const char* const BoundAction = "boundModularAction";

TModularAction* boundAction(QAction* item) {
    return qobject_cast<TModularAction*>(item->property(BoundAction).value<QObject*>());
}

} // namespace

void bindToAction(QAction* item, TModularAction* action) {
    copyState(item, action);
    item->setProperty(BoundAction, QVariant::fromValue<QObject*>(action));
    QObject::connect(action, &QAction::changed, item, [item, action] { copyState(item, action); });
    QObject::connect(item, &QAction::triggered, action, [item, action] {
        // The item toggled itself; the action decides the checked state.
        item->setChecked(action->isChecked());
        action->trigger();
        // In a radio group the entry the action replaced shows its state at
        // once, not only when the application is next idle.
        if (QActionGroup* group = item->actionGroup()) {
            for (QAction* other : group->actions()) {
                if (TModularAction* bound = boundAction(other)) {
                    bound->update();
                    copyState(other, bound);
                }
            }
        }
    });
}

ModularActionMenu::ModularActionMenu(QMenuBar* root) : m_root(root) {}

bool ModularActionMenu::sameCaption(const QString& a, const QString& b) {
    return plainCaption(a) == plainCaption(b);
}

QWidget* ModularActionMenu::containerOf(QAction* item) {
    if (item->menu() == nullptr) {
        // Owned by the menu bar, so that the whole menu goes with it.
        auto* menu = new QMenu(m_root);
        menu->setTitle(item->text());
        item->setMenu(menu);
    }
    return item->menu();
}

QAction* ModularActionMenu::child(QWidget* parent, const QString& caption, const QString& group) {
    for (QAction* existing : parent->actions()) {
        if (!existing->isSeparator() && sameCaption(existing->text(), caption))
            return existing;
    }
    const auto key = qMakePair(parent, group);
    QAction* separator = m_groups.value(key);
    if (separator == nullptr) {
        separator = new QAction(parent);
        separator->setSeparator(true);
        parent->addAction(separator);
        m_groups.insert(key, separator);
    }
    auto* item = new QAction(caption, parent);
    parent->insertAction(separator, item);
    return item;
}

void ModularActionMenu::insert(TModularAction* action, ImageList* menuImages) {
    const QString path = action->menuPath();
    if (path.isEmpty())
        return;
    QWidget* current = m_root;
    QAction* item = nullptr;
    QString pendingGroup;
    for (const QString& part : path.split(u'|')) {
        if (part.isEmpty())
            continue;
        if (part.startsWith(u'(')) {
            pendingGroup = part;
            continue;
        }
        if (item != nullptr)
            current = containerOf(item);
        item = child(current, part, pendingGroup);
        pendingGroup.clear();
    }
    // A path that ends in a group marker (or holds no caption) binds nothing.
    if (item == nullptr || !pendingGroup.isEmpty())
        return;
    action->setText(item->text());
    if (item->menu() == nullptr) {
        bindToAction(item, action);
        // Keyboard shortcuts live on the menu entry, which is part of the
        // main window (a toolbar button with the same keys would make them
        // ambiguous).
        item->setShortcut(action->shortcut());
        if (qobject_cast<TMapFunctionAction*>(action) != nullptr) {
            QActionGroup*& group = m_functionGroups[current];
            if (group == nullptr) {
                group = new QActionGroup(current);
                group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
            }
            group->addAction(item);
        }
    }
    if (menuImages != nullptr && !action->menuBitmap().isNull()) {
        const int index = menuImages->addMasked(action->menuBitmap());
        item->setIcon(menuImages->pixmap(index));
        item->setIconVisibleInMenu(true);
    }
}
