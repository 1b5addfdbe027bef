#pragma once

#include <QHash>
#include <QPair>
#include <QString>

class ImageList;
class QAction;
class QActionGroup;
class QMenuBar;
class QWidget;
class TModularAction;

// Builds the main menu from the actions' menu paths.
//
// A path is a sequence of parts separated by "|". A part is a caption or a
// group marker (a part beginning with "(", by convention "(CAT_...)"); empty
// parts are ignored. Under each parent the children stand in groups: a group
// opens where it is first used, at the end, and is closed by its own
// separator; a new child of a group goes right before that separator. An
// existing child with the same caption (ignoring "&" and letter case) is
// reused, whatever group it was made in. The menus hide separators that
// would stand first, last or next to another one.
class ModularActionMenu {
public:
    explicit ModularActionMenu(QMenuBar* root);

    // Inserts the action's entry; with menuImages the action's menu bitmap
    // becomes the entry's image.
    void insert(TModularAction* action, ImageList* menuImages);

    // The captions equal apart from "&" marks and letter case.
    static bool sameCaption(const QString& a, const QString& b);

private:
    QAction* child(QWidget* parent, const QString& caption, const QString& group);
    QWidget* containerOf(QAction* item);

    QMenuBar* m_root;
    // (parent container, group name) -> the separator that closes the group.
    QHash<QPair<QWidget*, QString>, QAction*> m_groups;
    // The map functions of one menu exclude each other: their entries form
    // one radio group per menu.
    QHash<QWidget*, QActionGroup*> m_functionGroups;
};

// Makes an item or a button show an action's caption, hint, enabled and
// checked state, and execute it when triggered.
void bindToAction(QAction* item, TModularAction* action);
