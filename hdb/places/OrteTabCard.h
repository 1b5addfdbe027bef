#pragma once

#include "THDBDataSet.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

class TimedPointPainter;

// The search line of the page: the text to look for and which order to
// search in.
class TSearchSubFrame : public QWidget {
    Q_OBJECT
public:
    explicit TSearchSubFrame(QWidget* parent = nullptr);

    QLabel* lblSearch;
    QLineEdit* sleSearch;
    QLabel* lblCategory;
    QComboBox* cmbCategory;
};

// The grid's view of the data set it is switched to: the municipality and
// its part, whatever order the table keeps its fields in. Follows the data
// set's current record.
class TPlaceGridSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TPlaceGridSource(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    THDBDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(THDBDataSet* dataSet);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QPointer<THDBDataSet> m_dataSet;
    int m_columns[2] = {-1, -1};
    std::vector<QMetaObject::Connection> m_connections;
};

// The page "Gemeinden": search a place by the beginning of its name in
// either order and jump the map to it.
class TOrteTabCard : public QWidget {
    Q_OBJECT
public:
    using PlaceChosenListener = std::function<void(THDBDataSet* dataSet)>;

    // The tables come from `dataRoot` + "DATEN/"; `painter` (may be none)
    // marks the place after a jump; `extensions` go below the search line;
    // `listeners` (may be none, not owned) are told of every jump.
    TOrteTabCard(QWidget* parent, const QString& dataRoot, TimedPointPainter* painter,
                 const std::vector<QWidget*>& extensions = {},
                 const std::vector<PlaceChosenListener>* listeners = nullptr);
    ~TOrteTabCard() override;

    // Places a control into ControlPanel after the existing ones.
    void AddControl(QWidget* control);

    // The data set the grid shows.
    THDBDataSet* Current() const;
    // Jumps to the current place: listeners, map check, centre, marker.
    // False when the map did not move.
    bool JumpToPlace();

    QWidget* ControlPanel = nullptr;
    TSearchSubFrame* SearchSubFrame1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    TPlaceGridSource* dataSrc = nullptr;
    QPushButton* pshCenter = nullptr;
    THDBDataSet* tblWOPLA1 = nullptr;
    THDBDataSet* tblWOPLA2 = nullptr;

    // How long the marker flashes after a jump.
    static constexpr int MarkerMilliseconds = 5000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SearchChanged(const QString& text);
    void CategoryChanged(int index);
    void FollowCurrent(int recNo);
    void GridRowChanged(const QModelIndex& index);
    void LayoutPanel();
    void FitColumns();

    TimedPointPainter* m_painter;
    std::vector<QWidget*> m_panelControls;
    const std::vector<PlaceChosenListener>* m_listeners;
};
