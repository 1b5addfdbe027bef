#include "DrawTreeItem.h"
#include "ModulBasis.h"
#include "ScriptedDialogs.h"
#include "StdDrawStrategies.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"

#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Builds trees from a compact description and reads them back the same way:
// "a b [F c d] e" is a, b, folder F with c and d, then e, below the root;
// a folder written "{H ...}" is hidden.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { frame.show(); }

    QTreeWidgetItem* element(QTreeWidgetItem* parent, const QString& name) {
        StdDrawAppearance a = StdDrawSymbolStrategy::instance().defaultAppearance();
        a.strategy = &StdDrawSymbolStrategy::instance();
        a.name = name;
        ZeichnenDrawObjectTarget t(frame, parent);
        t.setAppearance(&a);
        Coord c{};
        c.type = 1;
        c.x = 5400000 + parent->childCount();
        c.y = 3500000;
        t.geometry().points = {c};
        t.commit();
        // Into a folder the element goes first; move it to the end.
        QTreeWidgetItem* node = parent->takeChild(0);
        parent->addChild(node);
        return node;
    }

    QTreeWidgetItem* folder(QTreeWidgetItem* parent, const QString& name, bool hidden) {
        QTreeWidgetItem* node = (new DrawTreeFolder)->insertInto(*frame.tvObjects(), parent, name);
        parent->takeChild(0);
        parent->addChild(node);
        if (!hidden)
            node->setExpanded(true);
        if (hidden) {
            itemOf(node)->setShown(false);
            drawNode(node)->setImageIndex(drawNode(node)->kind() + 3);
        }
        return node;
    }

    void build(const QString& description) {
        frame.tvObjects()->clearBelowRoot();
        QList<QTreeWidgetItem*> stack{frame.root()};
        const QStringList tokens = description.split(' ', Qt::SkipEmptyParts);
        for (int i = 0; i < tokens.size(); ++i) {
            const QString& t = tokens[i];
            if (t == "]" || t == "}") {
                // Hidden folders stay collapsed (image index 5).
                if (t == "}")
                    stack.last()->setExpanded(false);
                stack.removeLast();
            } else if (t.startsWith('[') || t.startsWith('{')) {
                stack.append(folder(stack.last(), t.mid(1), t.startsWith('{')));
            } else {
                element(stack.last(), t);
            }
        }
        frame.root()->setExpanded(true);
    }

    static QString describe(const QTreeWidgetItem* node) {
        QStringList parts;
        for (int i = 0; i < node->childCount(); ++i) {
            const QTreeWidgetItem* child = node->child(i);
            const bool isFolder = dynamic_cast<const DrawTreeFolder*>(itemOf(child)) != nullptr;
            if (!isFolder) {
                parts << child->text(0);
                continue;
            }
            const bool hidden = !itemOf(child)->shown();
            QString inner = describe(child);
            parts << (hidden ? "{" : "[") + child->text(0) + (inner.isEmpty() ? "" : " " + inner) +
                         (hidden ? " }" : " ]");
        }
        return parts.join(' ');
    }
    QString tree() const { return describe(frame.root()); }

    QTreeWidgetItem* find(const QString& text) const {
        const auto found = frame.tvObjects()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    void select(const QStringList& names) {
        frame.tvObjects()->clearSelection();
        for (const QString& name : names) {
            if (name == "root")
                frame.root()->setSelected(true);
            else
                find(name)->setSelected(true);
        }
    }

    Platform::ScriptedDialogs dialogs;
    TZeichnenAuswahlFrame frame;
};

} // namespace

TEST_F(FrameTest, MoveUpAndDownFollowTheContainerRules) {
    struct Case {
        const char* legend;
        const char* before;
        QStringList selected;
        bool up;
        const char* after;
    };
    const Case cases[] = {
        {"first element up stays", "a b", {"a"}, true, "a b"},
        {"root up stays", "a b", {"root"}, true, "a b"},
        {"root down stays", "a b", {"root"}, false, "a b"},
        {"up past an element", "a b c", {"c"}, true, "a c b"},
        {"up into the previous folder, as last child", "[F x ] b", {"b"}, true, "[F x b ] "},
        {"first child up leaves its folder", "a [F x y ]", {"x"}, true, "a x [F y ]"},
        {"up past a hidden folder", "a {H x } b", {"b"}, true, "a b {H x }"},
        {"down past an element", "a b c", {"a"}, false, "b a c"},
        {"down into the next folder, as first child", "a [F x ]", {"a"}, false, "[F a x ]"},
        {"last child down leaves its folder", "[F x y ] b", {"y"}, false, "[F x ] y b"},
        {"last element below the root down stays", "a b", {"b"}, false, "a b"},
        {"down past a hidden folder", "a {H x } b", {"a"}, false, "{H x } a b"},
        {"up past a hidden folder inside a folder", "[F a {H x } b ]", {"b"}, true, "[F a b {H x } ]"},
        {"a folder moves with its content", "a [F x ] b", {"F"}, false, "a b [F x ]"},
        {"several, in selection order", "a b c d", {"b", "d"}, true, "b a d c"},
    };
    for (const Case& c : cases) {
        build(c.before);
        if (QTreeWidgetItem* hidden = find("H")) {
            ASSERT_EQ(drawNode(hidden)->imageIndex(), 5) << c.legend;
        }
        select(c.selected);
        QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
        if (c.up)
            frame.pshUp->click();
        else
            frame.pshDown->click();
        EXPECT_EQ(tree().simplified(), QString(c.after).simplified()) << c.legend;
        EXPECT_EQ(repaints.count(), 1) << c.legend;
        QStringList stillSelected;
        for (QTreeWidgetItem* node : frame.tvObjects()->selectedItems())
            stillSelected << (node == frame.root() ? "root" : node->text(0));
        stillSelected.sort();
        QStringList expected = c.selected;
        expected.sort();
        EXPECT_EQ(stillSelected, expected) << c.legend << ": the moved nodes stay selected";
    }
    // An open folder stays open, with its image, when it moves.
    build("a [F x ]");
    select({"F"});
    frame.moveUp();
    EXPECT_EQ(tree(), QString("[F x ] a"));
    EXPECT_TRUE(find("F")->isExpanded());
    EXPECT_EQ(drawNode(find("F"))->imageIndex(), 1);

    build("a");
    frame.tvObjects()->clearSelection();
    QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
    frame.moveDown();
    EXPECT_EQ(repaints.count(), 0) << "nothing selected, nothing repainted";
}

TEST_F(FrameTest, ShowHideBoxFollowsTheSelection) {
    build("a b [F x ]");
    QTreeWidgetItem* a = find("a");
    QTreeWidgetItem* b = find("b");
    itemOf(b)->setShown(false);
    drawNode(b)->setImageIndex(3);

    select({});
    EXPECT_EQ(frame.chkShow->checkState(), Qt::PartiallyChecked) << "nothing selected";
    EXPECT_FALSE(frame.pshCenter->isEnabled());
    select({"F"});
    EXPECT_EQ(frame.chkShow->checkState(), Qt::Checked);
    EXPECT_FALSE(frame.pshCenter->isEnabled()) << "a folder cannot be centred";
    select({"b"});
    EXPECT_EQ(frame.chkShow->checkState(), Qt::Unchecked);
    EXPECT_TRUE(frame.pshCenter->isEnabled());

    select({"a", "b"});
    EXPECT_EQ(frame.chkShow->checkState(), Qt::PartiallyChecked) << "one shown, one hidden";
    QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
    frame.chkShow->click();
    EXPECT_EQ(frame.chkShow->checkState(), Qt::Unchecked) << "grayed steps to unchecked";
    EXPECT_FALSE(itemOf(a)->shown());
    EXPECT_FALSE(itemOf(b)->shown());
    EXPECT_EQ(drawNode(a)->imageIndex(), 3);
    EXPECT_EQ(repaints.count(), 1);
    frame.chkShow->click();
    EXPECT_EQ(frame.chkShow->checkState(), Qt::Checked);
    EXPECT_TRUE(itemOf(a)->shown());
    EXPECT_TRUE(itemOf(b)->shown());
    EXPECT_EQ(drawNode(b)->imageIndex(), 0);
    frame.chkShow->click();
    EXPECT_EQ(frame.chkShow->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(itemOf(a)->shown()) << "a click that ends grayed changes no flag";
    EXPECT_TRUE(itemOf(b)->shown());
    EXPECT_EQ(repaints.count(), 2);

    // Hiding an expanded folder keeps its kind; its content keeps its flags.
    select({"F"});
    frame.chkShow->click();
    EXPECT_EQ(frame.chkShow->checkState(), Qt::PartiallyChecked);
    frame.chkShow->click();
    EXPECT_EQ(frame.chkShow->checkState(), Qt::Unchecked);
    EXPECT_EQ(drawNode(find("F"))->imageIndex(), 4);
    EXPECT_TRUE(itemOf(find("x"))->shown());
}

TEST_F(FrameTest, DeleteAsksAndKeepsTheRoot) {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    Modul::Basis basis;
    basis.setAppName("Zeichnen-Test");
    basis.writeSetting("LastOverlayPathName", "/daten/touren");

    build("a [F x y ] b");
    select({"F"});
    dialogs.messageAnswers = {Platform::MsgResult::No};
    frame.pshDelete->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Wollen Sie das/die gewählte(n) Elemente wirklich löschen?"));
    EXPECT_EQ(dialogs.messages[0].caption, Modul::applicationTitle());
    EXPECT_EQ(dialogs.messages[0].buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);
    EXPECT_EQ(tree(), QString("a [F x y ] b")) << "No deletes nothing";

    // A folder and one of its elements together.
    select({"F", "y"});
    QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
    frame.deleteSelected();
    EXPECT_EQ(tree(), QString("a b"));
    EXPECT_EQ(repaints.count(), 1);
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), QString("/daten/touren")) << "root not selected";

    build("a [F x ] b");
    select({"root", "x"});
    frame.deleteSelected();
    EXPECT_EQ(tree(), QString()) << "the root's whole content goes";
    EXPECT_EQ(frame.tvObjects()->topLevelItemCount(), 1);
    EXPECT_EQ(frame.root()->text(0), QString("Alle Zeichnungselemente")) << "the root stays";
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), QString()) << "and the remembered overlay is forgotten";
    EXPECT_EQ(repaints.count(), 2);

    select({"root"});
    frame.deleteSelected();
    EXPECT_EQ(repaints.count(), 2) << "nothing deleted, no repaint";
    EXPECT_EQ(frame.tvObjects()->topLevelItemCount(), 1);
}

TEST_F(FrameTest, CentreTakesTheFirstSelectedElementWithAVertex) {
    build("a [F x ] b");
    Coord position{};
    select({"F"});
    EXPECT_FALSE(frame.centrePosition(position)) << "folders have no position";
    dynamic_cast<DrawTreeObject*>(itemOf(find("a")))->geometry().points.clear();
    select({"F", "a", "b"});
    ASSERT_TRUE(frame.centrePosition(position));
    EXPECT_EQ(position.x, 5400000 + 2) << "b, the first with a vertex";
    EXPECT_EQ(position.type, 1u);
    // Without a map window module the map sequence refuses and nothing happens.
    frame.centreSelected();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
