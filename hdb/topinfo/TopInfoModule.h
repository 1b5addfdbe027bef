#pragma once

#include "DataPage.h"

#include <QPointer>
#include <QTextBrowser>

#include "TopInfoFrame.h"

// Shows one information page of a point of interest; links between the
// pages are followed inside the view.
class TTopInfoBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit TTopInfoBrowser(QWidget* parent = nullptr);
    // False when the file cannot be read; the view then keeps what it showed.
    bool ShowFile(const QString& path);
};

// The points-of-interest module: the page "Tourist-Info" on the left and the
// information page on the right. Created once at start-up; lives until the
// process ends.
class TopInfoModule {
public:
    TopInfoModule();
    ~TopInfoModule();

    static TopInfoModule* instance();

    DataPageInfo& Page() { return m_page; }
    DataPageInfo& InfoPage() { return m_infoPage; }
    // None before the page was first shown.
    TTopInfoFrame* Frame() const { return m_frame; }
    TTopInfoBrowser* Browser() const { return m_browser; }

    static constexpr const char* const BaseName = "TopInfo";

private:
    QWidget* CreateFrame(QWidget* owner);

    DataPageInfo m_page;
    DataPageInfo m_infoPage;
    QPointer<TTopInfoFrame> m_frame;
    QPointer<TTopInfoBrowser> m_browser;
};
