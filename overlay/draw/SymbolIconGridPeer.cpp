#include "SymbolIconGridPeer.h"

#include "PlatformDialogs.h"
#include "SymbolIcon.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>

namespace SymbolIcon::VCL {

namespace {

constexpr int IconRole = Qt::UserRole + 1;

// Draws the cell's icon centred, over the selection highlight.
class IconCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const auto* icon = static_cast<const AbstractSI*>(index.data(IconRole).value<void*>());
        const QImage* picture = icon ? icon->picture() : nullptr;
        if (picture == nullptr)
            return;
        const QPoint topLeft(option.rect.left() + (option.rect.width() - picture->width()) / 2,
                             option.rect.top() + (option.rect.height() - picture->height()) / 2);
        painter->drawImage(topLeft, *picture);
    }
};

} // namespace

GridPeer::GridPeer(QTableWidget& grid, SelectHandler onSelect)
    : QObject(&grid), m_grid(grid), m_onSelect(std::move(onSelect)) {
    m_grid.horizontalHeader()->hide();
    m_grid.verticalHeader()->hide();
    m_grid.setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid.setItemDelegate(new IconCellDelegate(&m_grid));
    m_grid.setMouseTracking(true);
    m_grid.installEventFilter(this);
    connect(&m_grid, &QTableWidget::cellClicked, this, &GridPeer::cellSelected);
    connect(&m_grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { cellSelected(row, column); });
    layout();
}

void GridPeer::layout() {
    const int count = iconCount();
    int width = 0;
    int height = 0;
    for (int i = 0; i < count; ++i) {
        if (const QImage* picture = SymbolIcon::iconAt(i) ? SymbolIcon::iconAt(i)->picture() : nullptr) {
            width = std::max(width, picture->width());
            height = std::max(height, picture->height());
        }
    }
    const int cellWidth = width + 10;
    const int cellHeight = height + 10;
    m_grid.horizontalHeader()->setDefaultSectionSize(cellWidth);
    m_grid.verticalHeader()->setDefaultSectionSize(cellHeight);
    m_grid.horizontalHeader()->setMinimumSectionSize(1);
    m_grid.verticalHeader()->setMinimumSectionSize(1);

    const int selected = m_grid.currentRow() >= 0 ? m_grid.currentRow() * m_columns + m_grid.currentColumn() : -1;
    const QSignalBlocker block(&m_grid);
    m_columns = std::max(1, m_grid.viewport()->width() / cellWidth);
    const int rows = (count + m_columns - 1) / m_columns;
    m_grid.clear();
    m_grid.setColumnCount(m_columns);
    m_grid.setRowCount(rows);
    for (int i = 0; i < count; ++i) {
        AbstractSI* icon = SymbolIcon::iconAt(i);
        auto* cell = new QTableWidgetItem;
        cell->setData(IconRole, QVariant::fromValue<void*>(icon));
        // The hint shown while the mouse rests on the cell.
        cell->setToolTip(displayName(icon));
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_grid.setItem(i / m_columns, i % m_columns, cell);
    }
    if (selected >= 0 && selected < count)
        m_grid.setCurrentCell(selected / m_columns, selected % m_columns);
}

AbstractSI* GridPeer::iconAt(int row, int column) const {
    if (row < 0 || column < 0 || column >= m_columns)
        return nullptr;
    return SymbolIcon::iconAt(row * m_columns + column);
}

void GridPeer::cellSelected(int row, int column) {
    AbstractSI* icon = iconAt(row, column);
    if (icon && m_onSelect)
        m_onSelect(icon);
}

bool GridPeer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_grid && event->type() == QEvent::Resize) {
        const int columns =
            std::max(1, m_grid.viewport()->width() / std::max(1, m_grid.horizontalHeader()->defaultSectionSize()));
        if (columns != m_columns)
            layout();
    }
    return QObject::eventFilter(watched, event);
}

QString GridPeer::refusedMessage(int chosen, int refused) {
    if (refused <= 0)
        return QString();
    QString subject;
    if (chosen == 1)
        subject = QStringLiteral("Das gewählte Bild konnte");
    else if (refused == 1)
        subject = QStringLiteral("Eins der gewählten Bilder konnte");
    else if (refused == chosen)
        subject = QStringLiteral("Die gewählten Bilder konnten");
    else
        subject = QStringLiteral("Einige der gewählten Bilder konnte");
    return subject +
           QStringLiteral(" nicht zur Liste hinzugefügt werden\nUrsache: falsches Bildformat oder Bild zu groß.");
}

int GridPeer::addPictures(QWidget* dialogParent) {
    Platform::FileDialogRequest request;
    request.filter = QStringLiteral("Bitmap-Dateien (*.bmp)");
    request.multiple = true;
    const QStringList files = Platform::dialogs().openFileNames(dialogParent, request);
    if (files.isEmpty())
        return 0;
    Set::IndexedSet& set = Set::FromPath::instance();
    int refused = 0;
    for (const QString& file : files) {
        // Added under its full path, as an overlay file would name it.
        if (std::unique_ptr<DefaultSI> icon = loadIcon(QString(), file))
            set.add(std::move(icon));
        else
            ++refused;
    }
    if (refused > 0)
        Platform::dialogs().messageBox(dialogParent, refusedMessage(int(files.size()), refused),
                                       QStringLiteral("Bildsymbol(e) hinzufügen"), Platform::MsgButtons::Ok,
                                       Platform::MsgIcon::Error);
    layout();
    return refused;
}

} // namespace SymbolIcon::VCL
