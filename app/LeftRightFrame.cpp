#include "LeftRightFrame.h"

#include "ExtPageControl.h"
#include "ModulBasis.h"
#include "PanelLayout.h"

#include <QHBoxLayout>
#include <QMainWindow>
#include <QSplitter>
#include <QVBoxLayout>

#include <vector>

namespace {

// The page control a tab sheet belongs to (its parent is the control's stack).
TExtPageControl* controlOf(QWidget* sheet) {
    for (QWidget* w = sheet->parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* control = dynamic_cast<TExtPageControl*>(w))
            return control;
    }
    return nullptr;
}

} // namespace

TLeftRightFrame::TabSheet::TabSheet(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

TLeftRightFrame::TLeftRightFrame(bool sorted, QWidget* parent) : QWidget(parent), m_sorted(sorted) {
    setObjectName(QStringLiteral("TLeftRightFrame"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitPages"));
    m_splitter->setHandleWidth(SplitterWidth);
    m_splitter->setChildrenCollapsible(false);
    m_left = new TExtPageControl(m_splitter);
    m_left->setObjectName(QStringLiteral("pageLeft"));
    m_right = new TExtPageControl(m_splitter);
    m_right->setObjectName(QStringLiteral("pageRight"));
    m_splitter->addWidget(m_left);
    m_splitter->addWidget(m_right);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({LeftWidth, 1000});
    layout->addWidget(m_splitter);
    connectControl(m_left);
    connectControl(m_right);
}

bool TLeftRightFrame::sameTabCaption(const QString& a, const QString& b) {
    auto skipFirstMark = [](QString text) {
        const qsizetype mark = text.indexOf(u'&');
        if (mark >= 0)
            text.remove(mark, 1);
        return text;
    };
    return skipFirstMark(a) == skipFirstMark(b);
}

QString TLeftRightFrame::shownCaption(const QString& part) {
    const qsizetype dollar = part.lastIndexOf(u'$');
    return dollar < 0 ? part : part.mid(dollar + 1);
}

void TLeftRightFrame::connectControl(TExtPageControl* control) {
    control->changing = [this](TExtPageControl* sender) { return askMayLeave(sender); };
    connect(control, &TExtPageControl::pageChanged, this, [this](TExtPageControl* sender, int) {
        if (!m_showing)
            createContent(sender->currentWidget());
    });
}

TLeftRightFrame::TabSheet* TLeftRightFrame::newSheet(TExtPageControl* control, const QString& part,
                                                     const QString& text) {
    if (!m_sorted) {
        auto* sheet = new TabSheet;
        control->addTab(sheet, text);
        return sheet;
    }
    const qsizetype dollar = part.lastIndexOf(u'$');
    const QString key = dollar < 0 ? part : part.left(dollar);
    auto* sheet = new SortedTabSheet(key);
    int position = control->count();
    for (int i = 0; i < control->count(); ++i) {
        const auto* other = dynamic_cast<SortedTabSheet*>(control->widget(i));
        if (other != nullptr && QString::compare(key, other->sortKey, Qt::CaseInsensitive) < 0) {
            position = i;
            break;
        }
    }
    control->insertTab(position, sheet, text);
    return sheet;
}

void TLeftRightFrame::addPage(DataPageInfo* info) {
    if (info == nullptr || m_tabs.contains(info))
        return;
    TExtPageControl* control = info->side ? m_right : m_left;
    QStringList parts = info->caption.split(u'|');
    const QString last = parts.takeLast();
    for (const QString& part : parts) {
        TExtPageControl* nested = nullptr;
        for (int i = 0; i < control->count() && nested == nullptr; ++i) {
            auto* sheet = dynamic_cast<TabSheet*>(control->widget(i));
            if (sheet != nullptr && sheet->nested != nullptr && sameTabCaption(control->tabText(i), part))
                nested = sheet->nested;
        }
        if (nested == nullptr) {
            TabSheet* sheet = newSheet(control, part, part);
            nested = new TExtPageControl(sheet);
            sheet->nested = nested;
            sheet->layout()->addWidget(nested);
            connectControl(nested);
        }
        control = nested;
    }
    TabSheet* sheet = newSheet(control, last, shownCaption(last));
    sheet->info = info;
    m_tabs.insert(info, sheet);
    if (control->currentWidget() == sheet)
        createContent(sheet);
}

void TLeftRightFrame::createContent(QWidget* tab) {
    auto* sheet = dynamic_cast<TabSheet*>(tab);
    // Down through the nested page controls to the current leaf.
    while (sheet != nullptr && sheet->nested != nullptr)
        sheet = dynamic_cast<TabSheet*>(sheet->nested->currentWidget());
    if (sheet == nullptr || sheet->info == nullptr)
        return;
    if (sheet->content == nullptr) {
        QWidget* content = nullptr;
        try {
            content = sheet->info->createContent(sheet);
        } catch (const std::exception& error) {
            // The tab stays empty; the next show tries again.
            Modul::showException(error);
        }
        if (content != nullptr) {
            content->setParent(sheet);
            sheet->layout()->addWidget(content);
            content->show();
            sheet->content = content;
        }
    }
    if (sheet->info->onShow)
        sheet->info->onShow(sheet);
}

bool TLeftRightFrame::askMayLeave(TExtPageControl* control) {
    auto* sheet = dynamic_cast<TabSheet*>(control->currentWidget());
    while (sheet != nullptr) {
        if (sheet->info != nullptr && sheet->info->mayLeave) {
            bool allow = true;
            sheet->info->mayLeave(allow);
            if (!allow)
                return false;
        }
        sheet = sheet->nested ? dynamic_cast<TabSheet*>(sheet->nested->currentWidget()) : nullptr;
    }
    return true;
}

void TLeftRightFrame::showPage(DataPageInfo* info) {
    TabSheet* sheet = m_tabs.value(info);
    if (sheet == nullptr)
        return;
    // Make the tab current in its page control and every enclosing tab in
    // its own, from the inside out; the content is created once, below.
    m_showing = true;
    QWidget* tab = sheet;
    while (TExtPageControl* control = controlOf(tab)) {
        control->setCurrentWidget(tab);
        if (control == m_left || control == m_right)
            break;
        tab = control->parentWidget();
        while (tab != nullptr && dynamic_cast<TabSheet*>(tab) == nullptr)
            tab = tab->parentWidget();
        if (tab == nullptr)
            break;
    }
    m_showing = false;
    createContent(sheet);
}

QWidget* TLeftRightFrame::pageContent(DataPageInfo* info) const {
    const TabSheet* sheet = m_tabs.value(info);
    return sheet ? sheet->content : nullptr;
}

void TLeftRightFrame::setTabVisible(DataPageInfo* info, bool visible) {
    TabSheet* sheet = m_tabs.value(info);
    if (sheet == nullptr)
        return;
    if (TExtPageControl* control = controlOf(sheet))
        control->setTabVisible(control->indexOf(sheet), visible);
}

void TLeftRightFrame::placeControlAtPage(DataPageInfo* info, QWidget* control) {
    TabSheet* sheet = m_tabs.value(info);
    if (sheet == nullptr || control == nullptr)
        return;
    PanelLayout::placeControlRelative(control, 0, QPoint(0, 0), sheet);
}

LeftRightDataPageManager::LeftRightDataPageManager(QMainWindow* mainWindow, bool sorted)
    : m_frame(new TLeftRightFrame(sorted, mainWindow)) {
    mainWindow->setCentralWidget(m_frame);
}

LeftRightDataPageManager::~LeftRightDataPageManager() = default;

void LeftRightDataPageManager::addPage(DataPageInfo* info) {
    m_frame->addPage(info);
}
void LeftRightDataPageManager::showPage(DataPageInfo* info) {
    m_frame->showPage(info);
}
QWidget* LeftRightDataPageManager::pageContent(DataPageInfo* info) {
    return m_frame->pageContent(info);
}
void LeftRightDataPageManager::setTabVisible(DataPageInfo* info, bool visible) {
    m_frame->setTabVisible(info, visible);
}
void LeftRightDataPageManager::placeControlAtPage(DataPageInfo* info, QWidget* control) {
    m_frame->placeControlAtPage(info, control);
}
