#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QStringList>
#include <QToolBar>

// The menu as the user sees it: one line per entry, "---" for a separator
// that is shown (not first, not last, not next to another), submenus
// indented below their entry.
namespace MenuDescription {

inline QStringList visible(const QList<QAction*>& actions, const QString& indent);

inline QStringList describe(QAction* item, const QString& indent) {
    QStringList lines{indent + item->text()};
    if (item->menu())
        lines += visible(item->menu()->actions(), indent + "  ");
    return lines;
}

inline QStringList visible(const QList<QAction*>& actions, const QString& indent) {
    QStringList lines;
    bool pendingSeparator = false;
    bool any = false;
    for (QAction* action : actions) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            pendingSeparator = any;
            continue;
        }
        if (pendingSeparator)
            lines << indent + "---";
        pendingSeparator = false;
        any = true;
        lines += describe(action, indent);
    }
    return lines;
}

inline QStringList menuBar(QMenuBar* bar) {
    return visible(bar->actions(), QString());
}

// The toolbar: each button's hint, "|" for each separator.
inline QStringList toolbar(QToolBar* bar) {
    QStringList items;
    for (QAction* action : bar->actions())
        items << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
    return items;
}

} // namespace MenuDescription
