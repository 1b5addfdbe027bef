#pragma once

#include "TopInfoLayer.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The page "Tourist-Info": categories and their elements, the short info of
// the selected element, centring the map on it, its information page, and
// which points of interest the map shows. It owns the map layer and attaches
// it to the map window module while it exists.
class TTopInfoFrame : public QWidget, public TopInfoSelection {
    Q_OBJECT
public:
    explicit TTopInfoFrame(QWidget* parent = nullptr);
    ~TTopInfoFrame() override;

    // Takes the source and sets the page up with it.
    void SetDataSource(std::unique_ptr<TopInfoDataSource> source);

    TopInfoClickableLayer& Layer() { return *m_layer; }

    // TopInfoSelection
    TopInfoDataSource* DataSource() const override { return m_source.get(); }
    QString CategoryKeyInUse() const override;
    QString SelectedElementKey() const override;
    void SelectByKey(const QString& key) override;

    // The current element, none without a selection.
    const TopInfoDataSource::RangeIterator* CurrentElement() const { return m_current.get(); }

    // Where the information pages live (a "/" is added when missing).
    QString InfoDirectory;
    // Brings the page holding this frame to the front.
    std::function<void()> BringToFront;
    // Shows the information page (true) or the map (false) on the right.
    std::function<void(bool info)> ShowInfoPage;
    // Shows an HTML file in the information page; false when it cannot.
    std::function<bool(const QString& path)> ShowInfoFile;

    // The information page became the current page by other means.
    void InfoPageShown();

    // The case-insensitive order of the element list (the platform's
    // comparison of names); negative, 0 or positive.
    static int CompareNames(const QString& a, const QString& b);

    QCheckBox* chkShow;
    QComboBox* cmbShow;
    QWidget* pnlCenter;
    QCheckBox* chkAutoCenter;
    QPushButton* btnCenter;
    QWidget* MapOrInfoPanel;
    QRadioButton* radShowInfo;
    QRadioButton* radShowMap;
    QLabel* lblSearch;
    QLineEdit* sleSearch;
    QWidget* pnlCategory;
    QComboBox* cmbCategory;
    QListWidget* lstElements;
    QPlainTextEdit* mleShortInfo;

private:
    void CategoryChanged();
    void ApplyShow();
    void HandleSelection();
    void Center();
    void UpdateInfoView();
    void Search(const QString& text);
    void SelectItem(QListWidgetItem* item);
    void RepaintMap();

    std::unique_ptr<TopInfoDataSource> m_source;
    std::unique_ptr<TopInfoClickableLayer> m_layer;
    std::unique_ptr<TopInfoDataSource::RangeIterator> m_current;
    QString m_firstCategoryKey;
    bool m_selectionHandled = false;
};
