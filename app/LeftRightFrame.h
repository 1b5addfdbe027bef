#pragma once

#include "DataPage.h"

#include <QHash>
#include <QWidget>

class QMainWindow;
class QSplitter;
class TExtPageControl;

// The page frame: a narrow page control on the left for the tool pages, a
// wide one on the right for the map, a splitter between them.
class TLeftRightFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int LeftWidth = 289;
    static constexpr int SplitterWidth = 4;

    // One tab; either it holds a nested page control (an inner level of a
    // caption path) or it is the page of a DataPageInfo.
    class TabSheet : public QWidget {
    public:
        explicit TabSheet(QWidget* parent = nullptr);
        DataPageInfo* info = nullptr;
        TExtPageControl* nested = nullptr;
        QWidget* content = nullptr;
    };
    // With sorting on, tabs are ordered by the caption text before "$".
    class SortedTabSheet : public TabSheet {
    public:
        SortedTabSheet(const QString& key, QWidget* parent = nullptr) : TabSheet(parent), sortKey(key) {}
        QString sortKey;
    };

    explicit TLeftRightFrame(bool sorted, QWidget* parent = nullptr);

    TExtPageControl* pageLeft() const { return m_left; }
    TExtPageControl* pageRight() const { return m_right; }
    QSplitter* splitPages() const { return m_splitter; }
    bool sorted() const { return m_sorted; }

    void addPage(DataPageInfo* info);
    void showPage(DataPageInfo* info);
    QWidget* pageContent(DataPageInfo* info) const;
    void setTabVisible(DataPageInfo* info, bool visible);
    void placeControlAtPage(DataPageInfo* info, QWidget* control);
    // The tab of a page, none when the page was not added.
    TabSheet* tabOf(DataPageInfo* info) const { return m_tabs.value(info); }

    // Captions equal when the first "&" of each is skipped.
    static bool sameTabCaption(const QString& a, const QString& b);
    // The shown text of a last caption part: the text after its last "$".
    static QString shownCaption(const QString& part);

private:
    void connectControl(TExtPageControl* control);
    TabSheet* newSheet(TExtPageControl* control, const QString& part, const QString& text);
    void createContent(QWidget* tab);
    bool askMayLeave(TExtPageControl* control);

    bool m_sorted;
    TExtPageControl* m_left;
    TExtPageControl* m_right;
    QSplitter* m_splitter;
    QHash<DataPageInfo*, TabSheet*> m_tabs;
    bool m_showing = false;
};

// The page manager of the program: one TLeftRightFrame filling the main window.
class LeftRightDataPageManager : public BaseDataPageManager {
public:
    LeftRightDataPageManager(QMainWindow* mainWindow, bool sorted = false);
    ~LeftRightDataPageManager() override;

    void addPage(DataPageInfo* info) override;
    void showPage(DataPageInfo* info) override;
    QWidget* pageContent(DataPageInfo* info) override;
    void setTabVisible(DataPageInfo* info, bool visible) override;
    void placeControlAtPage(DataPageInfo* info, QWidget* control) override;

    TLeftRightFrame* frame() const { return m_frame; }

private:
    TLeftRightFrame* m_frame;
};
