#include "LayerDialog.h"

#include "Cp1252.h"
#include "MapHandle.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

LayerDialog::LayerDialog(MapHandle& handle, QWidget* parent) : QDialog(parent), m_handle(handle) {
    setWindowTitle(QStringLiteral("Folien auswählen"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("101"));
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    const uint32_t mask = handle.layerMask();
    for (int i = 0; i < handle.layerCount() && i < 32; ++i) {
        const char* name = handle.layerName(i);
        auto* item = new QListWidgetItem(Cp1252::decode(name ? name : ""), m_list);
        item->setSelected((mask >> i) & 1u);
    }
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this,
            [this] { done(m_handle.setLayerMask(selectedMask()) ? Changed : Unchanged); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

uint32_t LayerDialog::selectedMask() const {
    uint32_t mask = 0;
    for (int i = 0; i < m_list->count() && i < 32; ++i) {
        if (m_list->item(i)->isSelected())
            mask |= uint32_t(1) << i;
    }
    return mask;
}

void LayerDialog::reject() {
    done(Unchanged);
}

bool LayerDialog::ask(MapHandle& handle, QWidget* owner) {
    LayerDialog dialog(handle, owner);
    return dialog.exec() == Changed;
}
