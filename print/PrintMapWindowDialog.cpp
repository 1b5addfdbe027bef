#include "PrintMapWindowDialog.h"

#include "PlatformDialogs.h"
#include "PrintLayout.h"
#include "PrintModule.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <map>

namespace {

QWidget* makePanel(QWidget* parent, const char* name, int tag) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setProperty("Tag", tag);
    return panel;
}

template <class T> T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TPrintMapWindowDialog::TPrintMapWindowDialog(PrintModule& module, QWidget* parent) : QDialog(parent), m_module(module) {
    setWindowTitle(QStringLiteral("Was drucken?"));
    setObjectName(QStringLiteral("TPrintMapWindowDialog"));
    setModal(true);

    OptionPanel = makePanel(this, "OptionPanel", 0);
    radContent = named(new QRadioButton(QStringLiteral("&Inhalt des Kartenfensters"), OptionPanel), "radContent");
    radMassstab =
        named(new QRadioButton(QStringLiteral("Um den Mittelpunkt des &Fensters"), OptionPanel), "radMassstab");
    lblMassstab = named(new QLabel(QStringLiteral("im &Maßstab 1 :"), OptionPanel), "lblMassstab");
    sleMassstab = named(new QLineEdit(OptionPanel), "sleMassstab");
    lblMassstab->setBuddy(sleMassstab);
    radContent->setChecked(true);
    sleMassstab->setEnabled(false);
    {
        auto* grid = new QGridLayout(OptionPanel);
        grid->addWidget(radContent, 0, 0, 1, 3);
        grid->addWidget(radMassstab, 1, 0, 1, 3);
        grid->addWidget(lblMassstab, 2, 1);
        grid->addWidget(sleMassstab, 2, 2);
        grid->setColumnMinimumWidth(0, 16);
    }
    OptionPanel->hide();

    MassstabOnlyPanel = makePanel(this, "MassstabOnlyPanel", 1);
    Label2 = named(new QLabel(QStringLiteral("Um den Mittelpunkt des Fensters"), MassstabOnlyPanel), "Label2");
    lblMassstabOnly = named(new QLabel(QStringLiteral("im &Maßstab 1 :"), MassstabOnlyPanel), "lblMassstabOnly");
    sleMassstabOnly = named(new QLineEdit(MassstabOnlyPanel), "sleMassstabOnly");
    lblMassstabOnly->setBuddy(sleMassstabOnly);
    {
        auto* grid = new QGridLayout(MassstabOnlyPanel);
        grid->addWidget(Label2, 0, 0, 1, 2);
        grid->addWidget(lblMassstabOnly, 1, 0);
        grid->addWidget(sleMassstabOnly, 1, 1);
    }
    MassstabOnlyPanel->hide();

    SubTitlePanel = makePanel(this, "SubTitlePanel", 2);
    lblTitle = named(new QLabel(QStringLiteral("Untertitel"), SubTitlePanel), "lblTitle");
    mleTitle = named(new QPlainTextEdit(SubTitlePanel), "mleTitle");
    mleTitle->setTabChangesFocus(true);
    mleTitle->setFixedHeight(mleTitle->fontMetrics().lineSpacing() * 3 + 12);
    {
        auto* box = new QVBoxLayout(SubTitlePanel);
        box->addWidget(lblTitle);
        box->addWidget(mleTitle);
    }

    LeistePanel = makePanel(this, "LeistePanel", 3);
    chkMLeiste = named(new QCheckBox(QStringLiteral("Maßstabs&leiste drucken"), LeistePanel), "chkMLeiste");
    (new QHBoxLayout(LeistePanel))->addWidget(chkMLeiste);

    ButtonPanel = makePanel(this, "ButtonPanel", 999999);
    pshOK = named(new QPushButton(QStringLiteral("OK"), ButtonPanel), "pshOK");
    pshCancel = named(new QPushButton(QStringLiteral("Abbrechen"), ButtonPanel), "pshCancel");
    pshOK->setDefault(true);
    {
        auto* row = new QHBoxLayout(ButtonPanel);
        row->addWidget(pshOK);
        row->addWidget(pshCancel);
    }

    connect(pshOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(pshCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(radContent, &QRadioButton::clicked, this, [this] { radContentClick(); });
    connect(radMassstab, &QRadioButton::clicked, this, [this] { radMassstabClick(); });
    connect(sleMassstab, &QLineEdit::textChanged, this,
            [this](const QString& text) { scaleChanged(sleMassstab, text); });
    connect(sleMassstabOnly, &QLineEdit::textChanged, this,
            [this](const QString& text) { scaleChanged(sleMassstabOnly, text); });
    connect(chkMLeiste, &QCheckBox::clicked, this, [this](bool checked) { m_scaleBar = checked; });
    sleMassstab->installEventFilter(this);
    sleMassstabOnly->installEventFilter(this);
}

void TPrintMapWindowDialog::AddPanel(QWidget* panel) {
    if (panel == nullptr)
        return;
    panel->setParent(this);
    panel->setProperty("Tag", 3);
}

bool TPrintMapWindowDialog::SetUp(std::int32_t initialScale) {
    SubTitlePanel->setVisible(m_module.SubTitleShown);
    mleTitle->setPlainText(m_module.SubTitle);

    if (m_module.ContentModeAllowed && m_module.ScaleModeAllowed) {
        OptionPanel->setVisible(true);
        sleMassstab->setText(QString::number(initialScale));
        m_chosenScale = 0;
    } else if (m_module.ScaleModeAllowed) {
        MassstabOnlyPanel->setVisible(true);
        m_chosenScale = initialScale;
        sleMassstabOnly->setText(QString::number(initialScale));
    } else if (m_module.ContentModeAllowed) {
        setWindowTitle(QStringLiteral("Kartenfenster drucken"));
        m_chosenScale = 0;
    } else {
        Platform::dialogs().messageBox(parentWidget(), QStringLiteral("Bitte kontaktieren Sie den Programmautor."),
                                       QStringLiteral("Interner Fehler"), Platform::MsgButtons::Ok,
                                       Platform::MsgIcon::Error);
        return false;
    }

    chkMLeiste->setChecked(m_module.ScaleBarDefault);
    m_scaleBar = m_module.ScaleBarDefault;
    LeistePanel->setVisible(m_module.ScaleBarOptionShown);
    LayOutPanels();
    return true;
}

void TPrintMapWindowDialog::LayOutPanels() {
    // Hidden panels stay out; the widgets are asked directly, since the dialog
    // itself is not shown yet.
    std::multimap<int, QWidget*> panels;
    for (QObject* child : children()) {
        auto* panel = qobject_cast<QWidget*>(child);
        if (panel == nullptr || panel->isHidden() || !panel->property("Tag").isValid())
            continue;
        panels.emplace(panel->property("Tag").toInt(), panel);
    }
    int width = 0;
    int height = 0;
    for (const auto& [tag, panel] : panels) {
        panel->adjustSize();
        width = std::max(width, panel->width());
        height += panel->height();
    }
    int top = 0;
    for (const auto& [tag, panel] : panels) {
        panel->move((width - panel->width()) / 2, top);
        top += panel->height();
    }
    setFixedSize(width, height);
}

QString TPrintMapWindowDialog::SubTitle() const {
    return mleTitle->toPlainText();
}

bool TPrintMapWindowDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == sleMassstab || watched == sleMassstabOnly))
        scaleLeft(static_cast<QLineEdit*>(watched));
    return QDialog::eventFilter(watched, event);
}

void TPrintMapWindowDialog::radContentClick() {
    sleMassstab->setEnabled(false);
    pshOK->setEnabled(true);
    m_chosenScale = 0;
}

void TPrintMapWindowDialog::radMassstabClick() {
    sleMassstab->setEnabled(true);
    scaleChanged(sleMassstab, sleMassstab->text());
}

void TPrintMapWindowDialog::scaleChanged(QLineEdit* field, const QString& text) {
    // While the content is chosen the disabled field's text means nothing.
    if (field == sleMassstab && !radMassstab->isChecked())
        return;
    const std::int64_t n = PrintLayout::scaleFieldValue(text);
    const std::int32_t c = clamp(n);
    m_chosenScale = c;
    pshOK->setEnabled(c == n);
}

void TPrintMapWindowDialog::scaleLeft(QLineEdit* field) {
    field->setText(QString::number(clamp(m_chosenScale)));
}

std::int32_t TPrintMapWindowDialog::clamp(std::int64_t n) const {
    return PrintLayout::clampScale(n, m_module.DefaultScale, m_module.MinScale, m_module.MaxScale);
}
