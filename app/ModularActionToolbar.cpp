#include "ModularActionToolbar.h"

#include "ImageList.h"
#include "ModularAction.h"
#include "ModularActionMenu.h"

#include <QToolBar>
#include <QWidget>

ModularActionToolbar::ModularActionToolbar(QToolBar* toolbar, ImageList* images)
    : m_toolbar(toolbar), m_images(images) {}

void ModularActionToolbar::insert(TModularAction* action) {
    if (action->toolbarBitmap().isNull())
        return;
    QAction* separator = m_categories.value(action->toolbarCategory());
    if (separator == nullptr) {
        separator = m_toolbar->addSeparator();
        if (QWidget* widget = m_toolbar->widgetForAction(separator))
            widget->setFixedWidth(SeparatorWidth);
        m_categories.insert(action->toolbarCategory(), separator);
    }
    const int index = m_images->addMasked(action->toolbarBitmap());
    auto* button = new QAction(m_toolbar);
    button->setIcon(m_images->pixmap(index));
    bindToAction(button, action);
    m_toolbar->insertAction(separator, button);
    if (QWidget* widget = m_toolbar->widgetForAction(button))
        widget->setFixedSize(ButtonWidth, ButtonHeight);
}
