#include "ZeichnenNeuBearbFrame.h"

#include "LineAreaForm.h"
#include "LineAreaFunction.h"
#include "MapWindowModule.h"
#include "PointDrawFunction.h"
#include "StdDrawStrategies.h"
#include "StyleComboBox.h"
#include "SymbolIcon.h"
#include "SymbolIconGridPeer.h"
#include "TolmWindow.h"
#include "ZeichnenDrawObjectTarget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Colours of the record keep red in the lowest byte.
QColor toColor(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t fromColor(const QColor& color) {
    return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

// The size as the user types it: with a decimal point or a comma; nothing
// for what is no positive number.
bool parseLength(const QString& text, double& length) {
    QString s = text.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = s.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0.0)
        return false;
    length = value;
    return true;
}

QString lengthText(double length) {
    return QLocale::c().toString(length, 'g', 12);
}

// Hatched fills have gaps that a background colour can fill.
bool isHatch(int fillStyle) {
    return fillStyle >= 2 && fillStyle <= 7;
}

const char* const TypeNames[StdDrawStrategies::Count] = {"Quadrat / Kreis", "Bildsymbol", "Linie / Fläche", "Text"};

} // namespace

TZeichnenNeuBearbFrame::TZeichnenNeuBearbFrame(QWidget* parent) : QFrame(parent) {
    Typ = new QComboBox(this);
    for (int i = 0; i < StdDrawStrategies::Count; ++i)
        Typ->addItem(QString::fromUtf8(TypeNames[i]));
    Name = new QLineEdit(this);

    // Symbol shape and size.
    SymbolPage = new QWidget;
    SymbolType = new QComboBox(SymbolPage);
    SymbolType->addItems({QStringLiteral("Kreis"), QStringLiteral("Quadrat")});
    RadiusSideEdit = new QLineEdit(QStringLiteral("10"), SymbolPage);
    RadiusSideUnit = new QComboBox(SymbolPage);
    RadiusSideUnit->addItems({QStringLiteral("Pixel"), QStringLiteral("Meter")});
    RadiusSideLabel = new QLabel(QStringLiteral("&Radius"), SymbolPage);
    RadiusSideLabel->setBuddy(RadiusSideEdit);
    auto* symbolTypeLabel = new QLabel(QStringLiteral("&Symbolart"), SymbolPage);
    symbolTypeLabel->setBuddy(SymbolType);
    auto* symbolLayout = new QGridLayout(SymbolPage);
    symbolLayout->addWidget(symbolTypeLabel, 0, 0);
    symbolLayout->addWidget(SymbolType, 0, 1, 1, 2);
    symbolLayout->addWidget(RadiusSideLabel, 1, 0);
    symbolLayout->addWidget(RadiusSideEdit, 1, 1);
    symbolLayout->addWidget(RadiusSideUnit, 1, 2);
    symbolLayout->setRowStretch(2, 1);

    TextPage = new QWidget;
    TextEditor = new QPlainTextEdit(initialText(), TextPage);
    TextFontButton = new QPushButton(QStringLiteral("&Schriftart"), TextPage);
    TextFontButton->hide();
    auto* textLayout = new QVBoxLayout(TextPage);
    textLayout->addWidget(TextEditor, 1);
    textLayout->addWidget(TextFontButton);

    IconPage = new QWidget;
    IconGrid = new QTableWidget(IconPage);
    IconAddButton = new QPushButton(QStringLiteral("Bild &hinzufügen..."), IconPage);
    auto* iconLayout = new QVBoxLayout(IconPage);
    iconLayout->addWidget(IconGrid, 1);
    iconLayout->addWidget(IconAddButton);

    PenPage = new QWidget;
    PenColor = new TTolmColorSelector(PenPage);
    PenStyle = new TStyleComboBox(TStyleComboBox::PenStyles, PenPage);
    PenWidth = new QSpinBox(PenPage);
    PenWidth->setRange(1, 127);
    PenWidth->setValue(3);
    auto* penLayout = new QFormLayout(PenPage);
    penLayout->addRow(QStringLiteral("Farbe"), PenColor);
    penLayout->addRow(QStringLiteral("Stil"), PenStyle);
    penLayout->addRow(QStringLiteral("Dicke"), PenWidth);

    FillPage = new QWidget;
    FillColor = new TTolmColorSelector(FillPage);
    FillType = new TStyleComboBox(TStyleComboBox::FillStyles, FillPage);
    FillOpaqueCheck = new QCheckBox(QStringLiteral("Farbe Hintergrund"), FillPage);
    FillBackColor = new TTolmColorSelector(FillPage);
    auto* fillLayout = new QFormLayout(FillPage);
    fillLayout->addRow(QStringLiteral("Farbe der Füllung"), FillColor);
    fillLayout->addRow(QStringLiteral("Füllung"), FillType);
    fillLayout->addRow(FillOpaqueCheck, FillBackColor);
    FillOpaqueCheck->hide();
    FillBackColor->hide();

    for (TTolmColorSelector* selector : {PenColor, FillColor, FillBackColor})
        selector->setMinimumSize(40, 20);

    Pages = new QTabWidget(this);
    Pages->addTab(SymbolPage, QStringLiteral("Form"));
    Pages->addTab(TextPage, QStringLiteral("Text"));
    Pages->addTab(IconPage, QStringLiteral("Bildsymbol"));
    Pages->addTab(PenPage, QStringLiteral("Umrandung"));
    Pages->addTab(FillPage, QStringLiteral("Füllung"));

    FinishNewEdit = new QPushButton(QStringLiteral("&Speichern"), this);

    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("Typ"), Typ);
    head->addRow(QStringLiteral("Element-Name"), Name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(Pages, 1);
    layout->addWidget(FinishNewEdit);

    m_gridPeer = new SymbolIcon::VCL::GridPeer(*IconGrid, [this](SymbolIcon::AbstractSI* icon) {
        if (m_filling || m_appearance == nullptr)
            return;
        m_appearance->icon = icon;
        edited();
    });

    connect(Typ, &QComboBox::activated, this, [this] { typeChanged(); });
    connect(SymbolType, &QComboBox::activated, this, &TZeichnenNeuBearbFrame::SymbolTypeChange);
    connect(RadiusSideEdit, &QLineEdit::textEdited, this, &TZeichnenNeuBearbFrame::RadiusSideEditChange);
    connect(RadiusSideUnit, &QComboBox::activated, this, &TZeichnenNeuBearbFrame::RadiusSideUnitChange);
    connect(PenStyle, &QComboBox::activated, this, &TZeichnenNeuBearbFrame::PenStyleChange);
    connect(PenWidth, &QSpinBox::valueChanged, this, &TZeichnenNeuBearbFrame::PenWidthChange);
    connect(FillType, &QComboBox::activated, this, &TZeichnenNeuBearbFrame::FillTypeChange);
    connect(FillOpaqueCheck, &QCheckBox::clicked, this, &TZeichnenNeuBearbFrame::FillOpaqueCheckClick);
    connect(TextEditor, &QPlainTextEdit::textChanged, this, &TZeichnenNeuBearbFrame::TextEditorChange);
    connect(Name, &QLineEdit::textEdited, this, &TZeichnenNeuBearbFrame::NameChange);
    connect(IconAddButton, &QPushButton::clicked, this, [this] {
        m_gridPeer->addPictures(this);
        m_gridPeer->layout();
    });
    connect(FinishNewEdit, &QPushButton::clicked, this, &TZeichnenNeuBearbFrame::finish);
    PenColor->OnChange = [this](TTolmColorSelector* sender) {
        if (!m_filling && m_appearance) {
            m_appearance->lineColor = fromColor(sender->Color());
            edited();
        }
    };
    FillColor->OnChange = [this](TTolmColorSelector* sender) {
        if (!m_filling && m_appearance) {
            m_appearance->fillColor = fromColor(sender->Color());
            edited();
        }
    };
    FillBackColor->OnChange = [this](TTolmColorSelector* sender) {
        if (!m_filling && m_appearance) {
            m_appearance->backColor = fromColor(sender->Color());
            edited();
        }
    };
}

TZeichnenNeuBearbFrame::~TZeichnenNeuBearbFrame() {
    // The drawing function must not outlive the target it draws into.
    m_function.reset();
}

QString TZeichnenNeuBearbFrame::initialText() {
    return QStringLiteral("Bitte geben Sie hier den\ndarzustellenden Text ein.");
}

const StdDrawStrategy* TZeichnenNeuBearbFrame::strategyAt(int index) {
    if (index < 0 || index >= StdDrawStrategies::Count)
        return nullptr;
    return StdDrawStrategies::all()[index];
}

void TZeichnenNeuBearbFrame::startNew(TZeichnenAuswahlFrame& tree, QTreeWidgetItem* node) {
    // A target still open (the editor was left without "Speichern") is
    // finished first, so that nothing drawn is lost silently.
    if (m_target)
        finish();
    m_target = std::make_unique<ZeichnenDrawObjectTarget>(tree, node);
    typeChanged();
}

void TZeichnenNeuBearbFrame::selectType(int index) {
    Typ->setCurrentIndex(index);
    typeChanged();
}

void TZeichnenNeuBearbFrame::typeChanged() {
    const StdDrawStrategy* strategy = strategyAt(Typ->currentIndex());
    if (strategy == nullptr || m_target == nullptr)
        return;
    // The kind's default record itself is edited: the last properties used
    // are those of the next element.
    m_appearance = &strategy->defaultAppearance();
    m_appearance->strategy = strategy;
    m_target->setAppearance(m_appearance);
    setupPages();
    fillControls();
    createFunction();
}

void TZeichnenNeuBearbFrame::setupPages() {
    const StdDrawStrategy& strategy = *m_appearance->strategy;
    const int symbol = Pages->indexOf(SymbolPage);
    const int text = Pages->indexOf(TextPage);
    const int icon = Pages->indexOf(IconPage);
    const int pen = Pages->indexOf(PenPage);
    const int fill = Pages->indexOf(FillPage);
    Pages->setTabVisible(pen, true);
    Pages->setTabVisible(fill, true);
    Pages->setTabText(pen, QStringLiteral("Umrandung"));
    Pages->setTabVisible(symbol, strategy.usesShape());
    Pages->setTabVisible(text, strategy.hasText());
    Pages->setTabVisible(icon, strategy.hasIcon());
    if (strategy.usesShape()) {
        Pages->setCurrentIndex(symbol);
    } else if (strategy.hasText()) {
        Pages->setCurrentIndex(text);
    } else if (strategy.hasIcon()) {
        Pages->setCurrentIndex(icon);
        // A picture has neither outline nor fill.
        Pages->setTabVisible(pen, false);
        Pages->setTabVisible(fill, false);
    } else {
        Pages->setTabText(pen, QStringLiteral("Linie / Umrandung"));
        Pages->setCurrentIndex(pen);
    }
}

void TZeichnenNeuBearbFrame::fillControls() {
    StdDrawAppearance& a = *m_appearance;
    m_filling = true;
    const int symbolType = a.sides != 0 ? 1 : 0;
    SymbolType->setCurrentIndex(symbolType);
    RadiusSideLabel->setText(symbolType == 1 ? QStringLiteral("Seiten&länge") : QStringLiteral("&Radius"));
    RadiusSideEdit->setText(lengthText(a.length));
    RadiusSideUnit->setCurrentIndex(a.lengthInMetres ? 1 : 0);
    PenWidth->setValue(std::clamp(int(a.lineWidth), 1, 127));
    PenColor->setColor(toColor(a.lineColor));
    PenStyle->setCurrentIndex(std::min(int(a.lineStyle), PenStyle->count() - 1));
    FillColor->setColor(toColor(a.fillColor));
    FillType->setCurrentIndex(std::min(int(a.fillStyle), FillType->count() - 1));
    FillOpaqueCheck->setChecked(a.hasBackColor);
    FillBackColor->setColor(toColor(a.backColor));
    updateFillBackVisibility();
    // A text element with nothing to show would be invisible on the map: it
    // starts with the prompt the editor shows.
    if (a.strategy->hasText() && a.text.isEmpty())
        a.text = initialText();
    if (TextEditor->toPlainText() != a.text)
        TextEditor->setPlainText(a.text);
    Name->setText(a.name);
    if (a.strategy->hasIcon()) {
        m_gridPeer->layout();
        // A picture symbol without a picture would place nothing visible:
        // the first picture of the set is taken.
        if (a.icon == nullptr)
            a.icon = SymbolIcon::iconAt(0);
        const int index = SymbolIcon::Set::FromPath::instance().indexOf(a.icon);
        const int columns = m_gridPeer->columnCount();
        if (index >= 0)
            IconGrid->setCurrentCell(index / columns, index % columns);
        else
            IconGrid->setCurrentCell(-1, -1);
    }
    m_filling = false;
}

void TZeichnenNeuBearbFrame::createFunction() {
    std::unique_ptr<MapFunction> function;
    if (m_appearance->strategy->isPointElement()) {
        function = std::make_unique<PointDrawFunction>(*m_target);
    } else {
        function = std::make_unique<LineAreaFunction>(*m_target, window());
    }
    MapFunction::Activate(function.get());
    // Placed once shown, when the window has its final size: above
    // "Speichern", over the empty lower part of the pages, so that it hides
    // none of the controls.
    if (auto* line = dynamic_cast<LineAreaFunction*>(function.get()))
        if (TLineAreaForm* form = line->Form())
            form->placeOver(*FinishNewEdit);
    // The previous function is inactive now (or, had the new one been
    // refused, destroying it leaves no function active).
    m_function = std::move(function);
}

void TZeichnenNeuBearbFrame::finish() {
    if (m_target) {
        const size_t n = m_target->geometry().points.size();
        const bool point = m_appearance && m_appearance->strategy && m_appearance->strategy->isPointElement();
        // A line needs two points; a single point of a line is dropped.
        if (point ? n == 1 : n >= 2)
            m_target->commit();
    }
    if (m_idleFunction)
        MapFunction::Activate(m_idleFunction);
    m_function.reset();
    m_target.reset();
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
    emit finished();
}

void TZeichnenNeuBearbFrame::updateFillBackVisibility() {
    const bool hatch = isHatch(FillType->currentIndex());
    FillOpaqueCheck->setVisible(hatch);
    FillBackColor->setVisible(hatch && FillOpaqueCheck->isChecked());
}

void TZeichnenNeuBearbFrame::edited() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void TZeichnenNeuBearbFrame::SymbolTypeChange(int index) {
    RadiusSideLabel->setText(index == 1 ? QStringLiteral("Seiten&länge") : QStringLiteral("&Radius"));
    if (m_filling || m_appearance == nullptr)
        return;
    m_appearance->sides = index * 4;
    edited();
}

void TZeichnenNeuBearbFrame::RadiusSideEditChange(const QString& text) {
    double length = 0.0;
    if (m_filling || m_appearance == nullptr || !parseLength(text, length))
        return;
    m_appearance->length = length;
    edited();
}

void TZeichnenNeuBearbFrame::RadiusSideUnitChange(int index) {
    if (m_filling || m_appearance == nullptr)
        return;
    m_appearance->lengthInMetres = index == 1;
    edited();
}

void TZeichnenNeuBearbFrame::PenStyleChange(int index) {
    if (m_filling || m_appearance == nullptr || index < 0)
        return;
    m_appearance->lineStyle = uint8_t(index);
    edited();
}

void TZeichnenNeuBearbFrame::PenWidthChange(int value) {
    if (m_filling || m_appearance == nullptr)
        return;
    m_appearance->lineWidth = value;
    edited();
}

void TZeichnenNeuBearbFrame::FillTypeChange(int index) {
    updateFillBackVisibility();
    if (m_filling || m_appearance == nullptr || index < 0)
        return;
    m_appearance->fillStyle = uint8_t(index);
    edited();
}

void TZeichnenNeuBearbFrame::FillOpaqueCheckClick(bool checked) {
    updateFillBackVisibility();
    if (m_filling || m_appearance == nullptr)
        return;
    m_appearance->hasBackColor = checked;
    edited();
}

void TZeichnenNeuBearbFrame::TextEditorChange() {
    if (m_filling || m_appearance == nullptr || !m_appearance->strategy->hasText())
        return;
    m_appearance->text = TextEditor->toPlainText();
    edited();
}

void TZeichnenNeuBearbFrame::NameChange(const QString& text) {
    if (m_filling || m_appearance == nullptr)
        return;
    m_appearance->name = text;
}
