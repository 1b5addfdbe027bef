#include "DataPage.h"
#include "EscapeThread.h"
#include "ExtPageControl.h"
#include "FrameDialog.h"
#include "LeftRightFrame.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "PanelLayout.h"
#include "ScriptedDialogs.h"

#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A page that counts what happens to it.
struct CountingPage : DataPageInfo {
    CountingPage(bool right, const QString& caption) : DataPageInfo(right, caption) {
        creator = [this](QWidget* owner) {
            ++created;
            if (failures > 0) {
                --failures;
                throw std::runtime_error("Seite kaputt");
            }
            return new QLabel(this->caption, owner);
        };
        onShow = [this](QWidget*) { ++shown; };
    }
    int created = 0;
    int shown = 0;
    int failures = 0;
};

class PageFrame : public ::testing::Test {
protected:
    void SetUp() override {
        manager = std::make_unique<LeftRightDataPageManager>(basis.mainWindow());
        frame = manager->frame();
        basis.mainWindow()->resize(1000, 700);
        basis.mainWindow()->show();
    }
    Platform::ScriptedDialogs dialogs;
    Modul::Basis basis;
    std::unique_ptr<LeftRightDataPageManager> manager;
    TLeftRightFrame* frame = nullptr;
};

} // namespace

TEST_F(PageFrame, Layout) {
    EXPECT_EQ(BaseDataPageManager::instance(), manager.get());
    EXPECT_EQ(basis.mainWindow()->centralWidget(), frame);
    EXPECT_EQ(frame->splitPages()->handleWidth(), 4);
    EXPECT_EQ(frame->pageLeft()->width(), 289);
    EXPECT_GT(frame->pageRight()->width(), frame->pageLeft()->width());
    EXPECT_FALSE(frame->sorted());
}

TEST_F(PageFrame, FirstPageIsCreatedAtOnceOthersOnFirstShow) {
    CountingPage map(true, "Karte"), overview(false, "Übersicht"), search(false, "Orte");
    manager->addPage(&map);
    manager->addPage(&overview);
    manager->addPage(&search);
    EXPECT_EQ(map.created, 1) << "first page of the right control";
    EXPECT_EQ(overview.created, 1) << "first page of the left control";
    EXPECT_EQ(search.created, 0);
    EXPECT_EQ(manager->pageContent(&search), nullptr);
    EXPECT_EQ(frame->pageLeft()->tabText(1), "Orte");

    manager->showPage(&search);
    EXPECT_EQ(search.created, 1);
    EXPECT_EQ(search.shown, 1);
    EXPECT_EQ(frame->pageLeft()->currentIndex(), 1);
    ASSERT_NE(manager->pageContent(&search), nullptr);
    EXPECT_EQ(manager->pageContent(&search)->parentWidget(), frame->tabOf(&search));

    frame->pageLeft()->userSelect(0);
    frame->pageLeft()->userSelect(1);
    EXPECT_EQ(search.created, 1) << "created once";
    EXPECT_EQ(search.shown, 2) << "told each time it is made current";
}

TEST_F(PageFrame, SharedTopTabAndSortKey) {
    CountingPage a(false, "&Zeichnen|Elemente"), b(false, "Zeichnen|20$Symbole"), c(false, "Tourist-Info");
    manager->addPage(&a);
    manager->addPage(&b);
    manager->addPage(&c);
    TExtPageControl* left = frame->pageLeft();
    ASSERT_EQ(left->count(), 2) << "one top tab for both \"Zeichnen\" captions";
    EXPECT_EQ(left->tabText(0), "&Zeichnen");
    auto* top = dynamic_cast<TLeftRightFrame::TabSheet*>(left->widget(0));
    ASSERT_TRUE(top && top->nested);
    ASSERT_EQ(top->nested->count(), 2);
    EXPECT_EQ(top->nested->tabText(0), "Elemente");
    EXPECT_EQ(top->nested->tabText(1), "Symbole") << "only the text after \"$\" is shown";
    EXPECT_EQ(a.created, 1) << "first leaf of the first top tab";

    manager->showPage(&b);
    EXPECT_EQ(left->currentIndex(), 0);
    EXPECT_EQ(top->nested->currentIndex(), 1);
    EXPECT_EQ(b.created, 1);
    manager->showPage(&c);
    EXPECT_EQ(left->currentIndex(), 1);
    manager->showPage(&a);
    EXPECT_EQ(top->nested->currentIndex(), 0);

    EXPECT_TRUE(TLeftRightFrame::sameTabCaption("&Karte", "Ka&rte"));
    EXPECT_TRUE(TLeftRightFrame::sameTabCaption("&Karte", "Karte"));
    EXPECT_FALSE(TLeftRightFrame::sameTabCaption("K&&arte", "Karte")) << "only the first mark is skipped";
    EXPECT_FALSE(TLeftRightFrame::sameTabCaption("Karte", "karte"));
    EXPECT_EQ(TLeftRightFrame::shownCaption("a$b$Text"), "Text");
}

TEST_F(PageFrame, RefusingMayLeaveKeepsThePage) {
    CountingPage drawing(false, "Zeichnen"), info(false, "Tourist-Info");
    bool allow = false;
    int asked = 0;
    drawing.mayLeave = [&](bool& allowed) {
        ++asked;
        allowed = allow;
    };
    manager->addPage(&drawing);
    manager->addPage(&info);
    TExtPageControl* left = frame->pageLeft();
    int before = 0;
    QObject::connect(left, &TExtPageControl::BeforeChangeEvent, [&](TExtPageControl*, int) { ++before; });

    // A click on the other tab, as the user makes it.
    QTabBar* bar = left->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(left->currentIndex(), 0) << "refused";
    EXPECT_EQ(info.created, 0) << "no content for the refused page";
    EXPECT_EQ(before, 0);

    EXPECT_FALSE(left->userSelect(1));
    EXPECT_EQ(asked, 2);

    allow = true;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(left->currentIndex(), 1);
    EXPECT_EQ(info.created, 1);
    EXPECT_EQ(before, 1);
}

TEST_F(PageFrame, MayLeaveIsAskedThroughNestedPages) {
    CountingPage inner(false, "Werkzeuge|Messen"), other(false, "Andere");
    bool allow = false;
    inner.mayLeave = [&](bool& allowed) { allowed = allow; };
    manager->addPage(&inner);
    manager->addPage(&other);
    EXPECT_FALSE(frame->pageLeft()->userSelect(1)) << "the active page inside the top tab refuses";
    allow = true;
    EXPECT_TRUE(frame->pageLeft()->userSelect(1));
}

TEST_F(PageFrame, FailedContentIsTriedAgain) {
    CountingPage first(true, "Karte"), broken(true, "Kaputt");
    manager->addPage(&first);
    broken.failures = 1;
    manager->addPage(&broken);
    manager->showPage(&broken);
    EXPECT_EQ(broken.created, 1);
    EXPECT_EQ(manager->pageContent(&broken), nullptr) << "an empty tab";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Seite kaputt"));
    manager->showPage(&broken);
    EXPECT_EQ(broken.created, 2);
    EXPECT_NE(manager->pageContent(&broken), nullptr);
}

TEST_F(PageFrame, HiddenTabsAndUnknownPages) {
    CountingPage a(false, "A"), b(false, "B"), stranger(false, "X");
    manager->addPage(&a);
    manager->addPage(&b);
    manager->setTabVisible(&b, false);
    EXPECT_FALSE(frame->pageLeft()->isTabVisible(1));
    manager->setTabVisible(&b, true);
    EXPECT_TRUE(frame->pageLeft()->isTabVisible(1));
    manager->showPage(&stranger); // never added: nothing happens
    EXPECT_EQ(manager->pageContent(&stranger), nullptr);
    manager->addPage(&a); // added once only
    EXPECT_EQ(frame->pageLeft()->count(), 2);
}

TEST_F(PageFrame, SortedFrameOrdersBySortKey) {
    QWidget host;
    TLeftRightFrame sorted(true, &host);
    DataPageInfo c(false, "30$Drei"), a(false, "10$Eins"), b(false, "20$Zwei");
    sorted.addPage(&c);
    sorted.addPage(&a);
    sorted.addPage(&b);
    ASSERT_EQ(sorted.pageLeft()->count(), 3);
    EXPECT_EQ(sorted.pageLeft()->tabText(0), "Eins");
    EXPECT_EQ(sorted.pageLeft()->tabText(1), "Zwei");
    EXPECT_EQ(sorted.pageLeft()->tabText(2), "Drei");
}

TEST(PanelLayout, VerticalBoxGrowsItsContainers) {
    QWidget top;
    top.resize(300, 400);
    QWidget outer(&top);
    outer.setGeometry(0, 0, 300, 400); // fills its parent: the growing stops below it
    QWidget middle(&outer);
    middle.setGeometry(10, 10, 200, 50);
    QWidget box(&middle);
    box.setGeometry(0, 0, 200, 40);
    QWidget c1(&box), c2(&box), c3(&box);
    c1.setGeometry(5, 0, 100, 20);
    c2.setGeometry(7, 0, 100, 30);
    c3.setGeometry(9, 0, 100, 10);
    PanelLayout::TPanel_VBox(&box, 4, 3, {&c1, &c2, &c3});
    EXPECT_EQ(c1.y(), 7);
    EXPECT_EQ(c2.y(), 31);
    EXPECT_EQ(c3.y(), 65);
    EXPECT_EQ(c1.x(), 5) << "only the vertical position changes";
    // The last control ends at 75; with the margin the box needs 78, 38 more.
    EXPECT_EQ(box.height(), 78);
    EXPECT_EQ(middle.height(), 88);
    EXPECT_EQ(outer.height(), 400);

    PanelLayout::TPanel_VBox(&box, 4, 3, {&c1});
    EXPECT_EQ(box.height(), 78) << "never shrinks";
}

TEST(PanelLayout, PlaceControlRelative) {
    QWidget top;
    top.resize(400, 300);
    QWidget reference(&top);
    reference.setGeometry(50, 40, 200, 100);
    QWidget control(&top);
    control.resize(60, 30);
    struct Case {
        int alignment;
        QPoint expected;
    };
    // Point (10, 20) of the reference is (60, 60) in the common parent.
    const Case cases[] = {
        {0, {60, 60}},            // left, top
        {(1 << 2) | 1, {30, 45}}, // centre, centre
        {(2 << 2) | 2, {0, 30}},  // right, bottom
        {(2 << 2) | 0, {0, 60}},  // right, top
    };
    for (const Case& c : cases) {
        PanelLayout::placeControlRelative(&control, c.alignment, QPoint(10, 20), &reference);
        EXPECT_EQ(control.pos(), c.expected) << "alignment " << c.alignment;
        EXPECT_EQ(control.size(), QSize(60, 30));
    }
}

TEST(FrameDialog, HoldsItsFrameAndReportsClosing) {
    QWidget owner;
    auto* frame = new QLabel("Entfernung");
    TFrameDialog dialog(frame, &owner, "Entfernung/Fläche");
    EXPECT_EQ(dialog.frame(), frame);
    EXPECT_EQ(frame->parentWidget(), &dialog);
    EXPECT_TRUE(dialog.windowFlags() & Qt::Tool);
    int closed = 0;
    dialog.onClose = [&] { ++closed; };
    dialog.show();
    dialog.close();
    EXPECT_EQ(closed, 1);
    TFrameDialog silent(new QLabel("x"), &owner);
    silent.show();
    silent.close(); // without a callback nothing else happens
}

TEST(EscapeWatcher, FlagIsSetByEscAndClearedByReset) {
    TEscapeThread& watcher = TEscapeThread::instance();
    EXPECT_EQ(&watcher, &TEscapeThread::instance()) << "one watcher";
    const volatile unsigned char* flag = watcher.reset();
    EXPECT_EQ(*flag, 0);
    QWidget widget;
    widget.show();
    QTest::keyClick(&widget, Qt::Key_A);
    EXPECT_EQ(*flag, 0) << "other keys leave it alone";
    QTest::keyClick(&widget, Qt::Key_Escape);
    EXPECT_EQ(*flag, 1);
    QTest::keyClick(&widget, Qt::Key_A);
    EXPECT_EQ(*flag, 1) << "only the reset clears it";
    EXPECT_EQ(watcher.reset(), flag);
    EXPECT_EQ(*flag, 0);
}

TEST(ShowPopup, OpensBelowTheControl) {
    QWidget control;
    control.setGeometry(100, 100, 80, 30);
    control.show();
    QMenu popup;
    popup.addAction("Eintrag");
    showPopup(&control, &popup);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.pos(), control.mapToGlobal(QPoint(0, control.height())));
    popup.hide();
}
