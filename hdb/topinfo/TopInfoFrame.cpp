#include "TopInfoFrame.h"

#include "MapWindowModule.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int KeyRole = Qt::UserRole;
constexpr int ModeRole = Qt::UserRole + 1;

// A list entry that sorts by the case-insensitive order of names.
class ElementItem : public QListWidgetItem {
public:
    ElementItem(const QString& name, const QString& key) : QListWidgetItem(name) { setData(KeyRole, key); }
    bool operator<(const QListWidgetItem& other) const override {
        return TTopInfoFrame::CompareNames(text(), other.text()) < 0;
    }
};

} // namespace

int TTopInfoFrame::CompareNames(const QString& a, const QString& b) {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::German, QLocale::Germany)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

TTopInfoFrame::TTopInfoFrame(QWidget* parent)
    : QWidget(parent), m_layer(std::make_unique<TopInfoClickableLayer>(this)) {
    setMinimumWidth(245);
    auto* layout = new QVBoxLayout(this);

    auto* showRow = new QHBoxLayout;
    chkShow = new QCheckBox(QStringLiteral("&Anzeigen"), this);
    cmbShow = new QComboBox(this);
    showRow->addWidget(chkShow);
    showRow->addWidget(cmbShow, 1);
    layout->addLayout(showRow);

    pnlCenter = new QWidget(this);
    auto* centerRow = new QHBoxLayout(pnlCenter);
    centerRow->setContentsMargins(0, 0, 0, 0);
    chkAutoCenter = new QCheckBox(QStringLiteral("a&utomatisch"), pnlCenter);
    chkAutoCenter->setChecked(true);
    btnCenter = new QPushButton(QStringLiteral("&Zentrieren"), pnlCenter);
    centerRow->addWidget(chkAutoCenter);
    centerRow->addWidget(btnCenter);
    layout->addWidget(pnlCenter);

    MapOrInfoPanel = new QWidget(this);
    auto* infoRow = new QHBoxLayout(MapOrInfoPanel);
    infoRow->setContentsMargins(0, 0, 0, 0);
    radShowInfo = new QRadioButton(QStringLiteral("&Information zeigen"), MapOrInfoPanel);
    radShowMap = new QRadioButton(QStringLiteral("&Karte zeigen"), MapOrInfoPanel);
    radShowMap->setChecked(true);
    infoRow->addWidget(radShowInfo);
    infoRow->addWidget(radShowMap);
    MapOrInfoPanel->hide();
    layout->addWidget(MapOrInfoPanel);

    auto* searchRow = new QHBoxLayout;
    lblSearch = new QLabel(QStringLiteral("&Suchen"), this);
    sleSearch = new QLineEdit(this);
    lblSearch->setBuddy(sleSearch);
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(sleSearch, 1);
    layout->addLayout(searchRow);

    pnlCategory = new QWidget(this);
    auto* categoryRow = new QHBoxLayout(pnlCategory);
    categoryRow->setContentsMargins(0, 0, 0, 0);
    cmbCategory = new QComboBox(pnlCategory);
    categoryRow->addWidget(cmbCategory);
    pnlCategory->hide();
    layout->addWidget(pnlCategory);

    lstElements = new QListWidget(this);
    lstElements->setSortingEnabled(true);
    lstElements->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(lstElements, 3);

    mleShortInfo = new QPlainTextEdit(this);
    mleShortInfo->setReadOnly(true);
    layout->addWidget(mleShortInfo, 1);

    connect(cmbCategory, &QComboBox::currentIndexChanged, this, [this] { CategoryChanged(); });
    connect(cmbShow, &QComboBox::activated, this, [this] {
        // Choosing what to show switches the pictures on.
        const QSignalBlocker block(chkShow);
        chkShow->setChecked(true);
        ApplyShow();
    });
    connect(chkShow, &QCheckBox::toggled, this, [this] { ApplyShow(); });
    connect(lstElements, &QListWidget::itemSelectionChanged, this, [this] {
        m_selectionHandled = true;
        HandleSelection();
    });
    // A click on the entry that is already selected selects it again (and
    // so centres the map on it once more).
    connect(lstElements, &QListWidget::itemPressed, this, [this] { m_selectionHandled = false; });
    connect(lstElements, &QListWidget::itemClicked, this, [this] {
        if (!m_selectionHandled)
            HandleSelection();
        m_selectionHandled = false;
    });
    connect(btnCenter, &QPushButton::clicked, this, [this] { Center(); });
    connect(sleSearch, &QLineEdit::textEdited, this, [this](const QString& text) { Search(text); });
    connect(radShowInfo, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        if (ShowInfoPage)
            ShowInfoPage(true);
        UpdateInfoView();
    });
    connect(radShowMap, &QRadioButton::toggled, this, [this](bool on) {
        if (on && ShowInfoPage)
            ShowInfoPage(false);
    });

    m_layer->Attach();
}

TTopInfoFrame::~TTopInfoFrame() {
    m_layer->Detach();
    RepaintMap();
}

void TTopInfoFrame::SetDataSource(std::unique_ptr<TopInfoDataSource> source) {
    m_current.reset();
    m_source = std::move(source);
    {
        const QSignalBlocker block(cmbCategory);
        cmbCategory->clear();
        m_firstCategoryKey.clear();
        if (m_source) {
            if (auto category = m_source->categoryIterator()) {
                do
                    cmbCategory->addItem(category->name(), category->key());
                while (category->next());
            }
        }
        if (cmbCategory->count() > 0)
            m_firstCategoryKey = cmbCategory->itemData(0).toString();
        pnlCategory->setVisible(cmbCategory->count() > 0);
        cmbCategory->setCurrentIndex(cmbCategory->count() > 0 ? 0 : -1);
    }
    CategoryChanged();

    cmbShow->clear();
    cmbShow->addItem(QStringLiteral("gewähltes Objekt"), 1);
    if (cmbCategory->count() > 0)
        cmbShow->addItem(QStringLiteral("alle aus gewählter Kategorie"), 2);
    cmbShow->addItem(QStringLiteral("alles (alle Kategorien)"), 3);
    cmbShow->setCurrentIndex(1);
    {
        const QSignalBlocker block(chkShow);
        chkShow->setChecked(true);
    }
    ApplyShow();
}

QString TTopInfoFrame::CategoryKeyInUse() const {
    if (cmbCategory->currentIndex() >= 0)
        return cmbCategory->currentData().toString();
    return QString(m_firstCategoryKey.size(), QLatin1Char('?'));
}

QString TTopInfoFrame::SelectedElementKey() const {
    return m_current ? m_current->key() : QString();
}

void TTopInfoFrame::ApplyShow() {
    const int mode = cmbShow->currentIndex() >= 0 ? cmbShow->currentData().toInt() : 0;
    m_layer->SetMode(chkShow->isChecked() ? mode : 0);
}

void TTopInfoFrame::CategoryChanged() {
    {
        const QSignalBlocker block(lstElements);
        lstElements->clear();
        if (m_source && cmbCategory->currentIndex() >= 0) {
            // The list sorts only once it is filled.
            lstElements->setSortingEnabled(false);
            if (auto element = m_source->rangeIterator(CategoryKeyInUse())) {
                do
                    lstElements->addItem(new ElementItem(element->name(), element->key()));
                while (element->next());
            }
            lstElements->setSortingEnabled(true);
            lstElements->sortItems();
        }
        lstElements->setCurrentItem(nullptr);
        lstElements->clearSelection();
    }
    HandleSelection();
    if (m_layer->Mode() == 2)
        RepaintMap();
}

void TTopInfoFrame::HandleSelection() {
    const QList<QListWidgetItem*> selected = lstElements->selectedItems();
    if (!selected.isEmpty() && m_source) {
        m_current = m_source->rangeIterator(selected.first()->data(KeyRole).toString());
        mleShortInfo->setPlainText(m_current ? m_current->shortInfo().replace(QStringLiteral("\r\n"), "\n")
                                             : QString());
        UpdateInfoView();
        if (chkAutoCenter->isChecked())
            Center();
    } else {
        m_current.reset();
        mleShortInfo->clear();
        UpdateInfoView(); // the category's page
    }
    RepaintMap();
}

void TTopInfoFrame::SelectItem(QListWidgetItem* item) {
    {
        const QSignalBlocker block(lstElements);
        lstElements->clearSelection();
        if (item) {
            lstElements->setCurrentItem(item);
            item->setSelected(true);
            lstElements->scrollToItem(item);
        }
    }
    HandleSelection();
}

void TTopInfoFrame::SelectByKey(const QString& key) {
    const QString current = CategoryKeyInUse();
    const QString prefix = key.left(current.size());
    if (prefix != current) {
        const int index = cmbCategory->findData(prefix);
        if (index < 0)
            return;
        const QSignalBlocker block(cmbCategory);
        cmbCategory->setCurrentIndex(index);
        CategoryChanged();
    }
    for (int i = 0; i < lstElements->count(); ++i) {
        if (lstElements->item(i)->data(KeyRole).toString() == key) {
            SelectItem(lstElements->item(i));
            break;
        }
    }
    if (BringToFront)
        BringToFront();
}

void TTopInfoFrame::Center() {
    if (!m_current)
        return;
    Coord position{};
    if (!m_current->position(position))
        return;
    if (MapWindowModule* module = MapWindowModule::instance())
        module->SetCentre(position, false);
}

void TTopInfoFrame::InfoPageShown() {
    {
        const QSignalBlocker block(radShowInfo);
        const QSignalBlocker blockMap(radShowMap);
        radShowInfo->setChecked(true);
        radShowMap->setChecked(false);
    }
    UpdateInfoView();
}

void TTopInfoFrame::UpdateInfoView() {
    if (!radShowInfo->isChecked() || !ShowInfoFile)
        return;
    QString directory = InfoDirectory;
    if (!directory.isEmpty() && !directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    const QString name = m_current ? m_current->infoFileName() : CategoryKeyInUse() + QStringLiteral(".html");
    if (!ShowInfoFile(directory + name))
        ShowInfoFile(directory + QStringLiteral("NoInfo.html"));
}

void TTopInfoFrame::Search(const QString& typed) {
    const int count = lstElements->count();
    if (count == 0)
        return;
    const QString text = typed.toUpper();
    // The first entry that is not smaller than the text; past every name the
    // last one.
    int low = 0, high = count - 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (CompareNames(lstElements->item(middle)->text(), text) >= 0)
            high = middle;
        else
            low = middle + 1;
    }
    SelectItem(lstElements->item(low));
}

void TTopInfoFrame::RepaintMap() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}
