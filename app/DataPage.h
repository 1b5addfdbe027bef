#pragma once

#include <QString>

#include <functional>

class QWidget;

// Describes one tab page of the page frames. Owned by the module that adds
// it; the page manager keeps only a pointer.
class DataPageInfo {
public:
    using Creator = std::function<QWidget*(QWidget* owner)>;
    using ShowCallback = std::function<void(QWidget* page)>;
    using MayLeaveCallback = std::function<void(bool& allow)>;

    DataPageInfo() = default;
    DataPageInfo(bool rightSide, const QString& caption, Creator creator = {})
        : side(rightSide), caption(caption), creator(std::move(creator)) {}
    virtual ~DataPageInfo() = default;

    // Builds the page's content, called once, on first show. The default
    // calls the creator; none or a failing creator leaves the page empty.
    virtual QWidget* createContent(QWidget* owner);

    bool side = false; // false = left page control, true = right page control
    // Parts separated by "|" give nested tab levels; in the last part an
    // optional sort key ends at "$" and only the text after it is shown.
    QString caption;
    Creator creator;
    ShowCallback onShow;       // each time the page has been made current
    MayLeaveCallback mayLeave; // before the user switches away; may refuse
};

// The page manager: modules hand it their pages; it creates the tabs, the
// contents on first show, and brings pages to the front.
class BaseDataPageManager {
public:
    virtual ~BaseDataPageManager();

    // The manager of the program, none before the page frames exist.
    static BaseDataPageManager* instance();

    virtual void addPage(DataPageInfo* info) = 0;
    virtual void showPage(DataPageInfo* info) = 0;
    // The content control, none before it was created.
    virtual QWidget* pageContent(DataPageInfo* info) = 0;
    virtual void setTabVisible(DataPageInfo* info, bool visible) = 0;
    // Moves a control (a dialog) over the page's window.
    virtual void placeControlAtPage(DataPageInfo* info, QWidget* control) = 0;

protected:
    BaseDataPageManager();
};
