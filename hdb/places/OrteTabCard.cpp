#include "OrteTabCard.h"

#include "MapSequence.h"
#include "MapWindowModule.h"
#include "PanelLayout.h"
#include "PlaceSearchKey.h"
#include "PointPainter.h"
#include "THDBDataSet.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const Codeword = "Kennmark";
const char* const GridFields[2] = {"ORT", "ORTS_TEIL"};
const char* const GridTitles[2] = {"Gemeinde", "Gemeindeteil"};
const int GridWidths[2] = {128, 108};

} // namespace

// --- search line ---

TSearchSubFrame::TSearchSubFrame(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    lblSearch = new QLabel(QStringLiteral("&Suchen"), this);
    sleSearch = new QLineEdit(this);
    lblSearch->setBuddy(sleSearch);
    lblCategory = new QLabel(QStringLiteral("&nach"), this);
    cmbCategory = new QComboBox(this);
    cmbCategory->addItems({QStringLiteral("Gemeinde"), QStringLiteral("Gemeindeteil")});
    cmbCategory->setCurrentIndex(0);
    lblCategory->setBuddy(cmbCategory);
    grid->addWidget(lblSearch, 0, 0);
    grid->addWidget(sleSearch, 0, 1);
    grid->addWidget(lblCategory, 1, 0);
    grid->addWidget(cmbCategory, 1, 1);
    grid->setColumnStretch(1, 1);
    resize(sizeHint());
}

// --- grid source ---

void TPlaceGridSource::SetDataSet(THDBDataSet* dataSet) {
    beginResetModel();
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    for (int i = 0; i < 2; ++i)
        m_columns[i] = dataSet ? dataSet->fieldIndex(QString::fromLatin1(GridFields[i])) : -1;
    if (dataSet) {
        m_connections.push_back(
            connect(dataSet, &QAbstractItemModel::modelAboutToBeReset, this, &TPlaceGridSource::beginResetModel));
        m_connections.push_back(
            connect(dataSet, &QAbstractItemModel::modelReset, this, &TPlaceGridSource::endResetModel));
    }
    endResetModel();
}

int TPlaceGridSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_dataSet ? 0 : m_dataSet->recordCount();
}

int TPlaceGridSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TPlaceGridSource::data(const QModelIndex& index, int role) const {
    if (!m_dataSet || !index.isValid() || role != Qt::DisplayRole || m_columns[index.column()] < 0)
        return {};
    const QVariant value = m_dataSet->valueAt(index.row() + 1, m_columns[index.column()]);
    return value.isValid() ? QVariant(value.toString().trimmed()) : QVariant();
}

QVariant TPlaceGridSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 1)
        return {};
    return QString::fromLatin1(GridTitles[section]);
}

Qt::ItemFlags TPlaceGridSource::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// --- the page ---

TOrteTabCard::TOrteTabCard(QWidget* parent, const QString& dataRoot, TimedPointPainter* painter,
                           const std::vector<QWidget*>& extensions, const std::vector<PlaceChosenListener>* listeners)
    : QWidget(parent), m_painter(painter), m_listeners(listeners) {
    tblWOPLA1 = new THDBDataSet(this);
    tblWOPLA2 = new THDBDataSet(this);
    const QString data = QDir(dataRoot).filePath(QStringLiteral("DATEN"));
    tblWOPLA1->setPathName(QDir(data).filePath(QStringLiteral("WOPLA1.HDB")));
    tblWOPLA2->setPathName(QDir(data).filePath(QStringLiteral("WOPLA2.HDB")));
    for (THDBDataSet* table : {tblWOPLA1, tblWOPLA2}) {
        table->setCodeword(QString::fromLatin1(Codeword));
        table->open();
        connect(table, &THDBDataSet::currentChanged, this, [this, table](int recNo) {
            if (table == Current())
                FollowCurrent(recNo);
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ControlPanel = new QWidget(this);
    ControlPanel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    ControlPanel->installEventFilter(this);
    SearchSubFrame1 = new TSearchSubFrame(ControlPanel);
    m_panelControls.push_back(SearchSubFrame1);
    for (QWidget* control : extensions) {
        if (control != nullptr) {
            control->setParent(ControlPanel);
            m_panelControls.push_back(control);
        }
    }
    pshCenter = new QPushButton(ControlPanel);
    pshCenter->setGeometry(0, 0, 1, 1);
    pshCenter->setDefault(true);
    pshCenter->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(ControlPanel);

    dataSrc = new TPlaceGridSource(this);
    dataSrc->SetDataSet(tblWOPLA1);
    DBGrid1 = new QTableView(this);
    DBGrid1->setModel(dataSrc);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 4);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->setColumnWidth(0, GridWidths[0]);
    DBGrid1->setColumnWidth(1, GridWidths[1]);
    DBGrid1->installEventFilter(this);
    DBGrid1->viewport()->installEventFilter(this);
    layout->addWidget(DBGrid1, 1);

    LayoutPanel();
    FollowCurrent(Current()->recNo());

    connect(SearchSubFrame1->sleSearch, &QLineEdit::textChanged, this, &TOrteTabCard::SearchChanged);
    connect(SearchSubFrame1->cmbCategory, &QComboBox::currentIndexChanged, this, &TOrteTabCard::CategoryChanged);
    // Mouse and keys move the grid's current row; the table follows it.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridRowChanged(current); });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        GridRowChanged(index);
        JumpToPlace();
    });
    connect(pshCenter, &QPushButton::clicked, this, [this] { JumpToPlace(); });
    SearchSubFrame1->sleSearch->installEventFilter(this);
    SearchSubFrame1->cmbCategory->installEventFilter(this);
}

TOrteTabCard::~TOrteTabCard() = default;

void TOrteTabCard::AddControl(QWidget* control) {
    if (control == nullptr ||
        std::find(m_panelControls.begin(), m_panelControls.end(), control) != m_panelControls.end())
        return;
    control->setParent(ControlPanel);
    control->show();
    m_panelControls.push_back(control);
    LayoutPanel();
}

THDBDataSet* TOrteTabCard::Current() const {
    return dataSrc->DataSet();
}

void TOrteTabCard::SearchChanged(const QString& text) {
    if (text.isEmpty())
        return; // the grid stays where it is
    PlaceSearchKey::findPlace(*Current(), text);
}

void TOrteTabCard::CategoryChanged(int index) {
    THDBDataSet* target = index == 1 ? tblWOPLA2 : tblWOPLA1;
    THDBDataSet* shown = Current();
    if (target == shown)
        return;
    // The same place in the other order; a number outside its records
    // leaves the other table where it was.
    const QVariant relation = shown->fieldValue(QStringLiteral("RELATION"));
    dataSrc->SetDataSet(target);
    if (relation.isValid())
        target->setRecNo(relation.toInt());
    FollowCurrent(target->recNo());
}

void TOrteTabCard::FollowCurrent(int recNo) {
    QItemSelectionModel* selection = DBGrid1->selectionModel();
    if (recNo < 1 || recNo > dataSrc->rowCount()) {
        selection->clearSelection();
        return;
    }
    const QModelIndex index = dataSrc->index(recNo - 1, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    DBGrid1->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TOrteTabCard::GridRowChanged(const QModelIndex& index) {
    if (index.isValid())
        Current()->setRecNo(index.row() + 1);
}

bool TOrteTabCard::JumpToPlace() {
    THDBDataSet* table = Current();
    if (m_listeners) {
        // A copy: a listener may register another.
        const std::vector<PlaceChosenListener> listeners = *m_listeners;
        for (const PlaceChosenListener& listener : listeners) {
            if (listener)
                listener(table);
        }
    }
    const QVariant easting = table->fieldValue(QStringLiteral("R_WERT"));
    const QVariant northing = table->fieldValue(QStringLiteral("H_WERT"));
    if (!easting.isValid() || !northing.isValid())
        return false;
    Coord place{};
    place.type = 1; // Gauss-Krüger of the map library: x northing, y easting
    place.zone = 0;
    place.x = northing.toDouble();
    place.y = easting.toDouble();
    if (!Modul::Kartenfolge::ShowPlaceOnSomeMap(place, QStringLiteral("Ort anspringen"), QStringLiteral("Dieser Ort"),
                                                QStringLiteral("ihn")))
        return false;
    MapWindowModule* module = MapWindowModule::instance();
    if (module == nullptr)
        return false;
    module->SetCentre(place, true);
    if (m_painter) {
        m_painter->SetPosition(place);
        m_painter->ShowFor(MarkerMilliseconds);
    }
    return true;
}

bool TOrteTabCard::eventFilter(QObject* watched, QEvent* event) {
    if (DBGrid1 != nullptr && watched == DBGrid1->viewport() && event->type() == QEvent::Resize) {
        FitColumns();
    } else if (watched == ControlPanel && event->type() == QEvent::Resize) {
        for (QWidget* control : m_panelControls)
            control->setGeometry(1, control->y(), ControlPanel->width() - 2, control->height());
    } else if (event->type() == QEvent::KeyPress) {
        // Enter anywhere in the page presses the hidden default button.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            pshCenter->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TOrteTabCard::LayoutPanel() {
    // Each control takes the panel's width less a pixel on either side, in
    // the order of the tab key.
    QWidget* previous = nullptr;
    for (QWidget* control : m_panelControls) {
        control->setGeometry(1, control->y(), ControlPanel->width() - 2, control->height());
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    // The panel grows from nothing to what its controls need.
    ControlPanel->setMinimumHeight(0);
    ControlPanel->resize(ControlPanel->width(), 0);
    QList<QWidget*> controls(m_panelControls.begin(), m_panelControls.end());
    PanelLayout::TPanel_VBox(ControlPanel, 8, 0, controls);
}

void TOrteTabCard::FitColumns() {
    // The two columns share the grid's width in their designed proportion.
    const int available = DBGrid1->viewport()->width();
    if (available <= 0)
        return;
    const int first = available * GridWidths[0] / (GridWidths[0] + GridWidths[1]);
    DBGrid1->setColumnWidth(0, first);
    DBGrid1->setColumnWidth(1, available - first);
}
