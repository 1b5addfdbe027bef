#include "ZeichnenFrame.h"

#include "MapEvents.h"
#include "OverlayFiles.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenNeuBearbFrame.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

TZeichnenFrame::TZeichnenFrame(QWidget* parent) : QFrame(parent) {
    m_auswahl = new TZeichnenAuswahlFrame(this);
    m_neuBearb = new TZeichnenNeuBearbFrame(this);

    // The tree frame's own buttons stay below the tree; new element, load
    // and save go above it.
    pshNewElement = new QPushButton(QStringLiteral("Neues &Zeichnungselement"), m_auswahl);
    pshLoad = new QPushButton(QStringLiteral("Zeichnung &laden..."), m_auswahl);
    pshSave = new QPushButton(QStringLiteral("Zeichnung s&peichern..."), m_auswahl);
    if (auto* layout = qobject_cast<QVBoxLayout*>(m_auswahl->layout())) {
        auto* files = new QHBoxLayout;
        files->addWidget(pshLoad);
        files->addWidget(pshSave);
        layout->insertWidget(0, pshNewElement);
        layout->insertLayout(1, files);
    }

    m_stack = new QStackedLayout(this);
    m_stack->addWidget(m_auswahl);
    m_stack->addWidget(m_neuBearb);
    m_stack->setCurrentWidget(m_auswahl);

    connect(pshNewElement, &QPushButton::clicked, this, &TZeichnenFrame::newElement);
    connect(pshLoad, &QPushButton::clicked, this, [this] { UserDraw::loadOverlay(*m_auswahl, this); });
    connect(pshSave, &QPushButton::clicked, this, [this] { UserDraw::saveOverlay(*m_auswahl, this); });
    connect(m_neuBearb, &TZeichnenNeuBearbFrame::finished, this, &TZeichnenFrame::showTree);
}

bool TZeichnenFrame::editorShown() const {
    return m_stack->currentWidget() == m_neuBearb;
}

void TZeichnenFrame::pageShown() {
    if (editorShown() && m_neuBearb->drawFunction() != nullptr) {
        MapFunction::Activate(m_neuBearb->drawFunction());
        return;
    }
    if (m_action)
        m_action->trigger();
}

void TZeichnenFrame::newElement() {
    m_neuBearb->startNew(*m_auswahl, m_auswahl->insertionNode());
    m_stack->setCurrentWidget(m_neuBearb);
}

void TZeichnenFrame::showTree() {
    m_stack->setCurrentWidget(m_auswahl);
}
