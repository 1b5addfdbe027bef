#pragma once

#include <QObject>

#include <functional>

class QTableWidget;
class QWidget;

namespace SymbolIcon {
class AbstractSI;
}

namespace SymbolIcon::VCL {

// Binds a grid of the property editor to the symbol directory set: one cell
// per icon, in the set's order, each picture centred in its cell, the icon's
// display name as the hint of its cell, and a handler told of the icon of a
// selected cell.
class GridPeer : public QObject {
    Q_OBJECT
public:
    using SelectHandler = std::function<void(AbstractSI* icon)>;

    GridPeer(QTableWidget& grid, SelectHandler onSelect);

    // Cell size from the largest picture, as many columns as fit the grid's
    // width (at least one), rows for all icons; keeps the selected cell.
    void layout();
    int columnCount() const { return m_columns; }
    // The icon of a cell; none beyond the last icon.
    AbstractSI* iconAt(int row, int column) const;

    // "Bild &hinzufügen...": lets the user choose bitmaps, adds every one that
    // can be read and is small enough, and tells in one message how many
    // could not be added. Returns the number refused.
    int addPictures(QWidget* dialogParent);

    // The message for `refused` of `chosen` files; empty when none was refused.
    static QString refusedMessage(int chosen, int refused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cellSelected(int row, int column);

    QTableWidget& m_grid;
    SelectHandler m_onSelect;
    int m_columns = 1;
};

} // namespace SymbolIcon::VCL
