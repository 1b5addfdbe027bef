#pragma once

#include <QHash>
#include <QString>

class ImageList;
class QAction;
class QToolBar;
class TModularAction;

// Builds the toolbar from the actions' categories. Categories appear in the
// order of their first use, each closed by a separator; inside a category the
// buttons keep their registration order.
class ModularActionToolbar {
public:
    static constexpr int ButtonWidth = 31;
    static constexpr int ButtonHeight = 30;
    static constexpr int SeparatorWidth = 8;

    ModularActionToolbar(QToolBar* toolbar, ImageList* images);

    // Adds a button for an action that has a toolbar bitmap.
    void insert(TModularAction* action);

    QToolBar* toolbar() const { return m_toolbar; }

private:
    QToolBar* m_toolbar;
    ImageList* m_images;
    // Category -> the separator that closes it (the empty category included).
    QHash<QString, QAction*> m_categories;
};
