#include "DrawTreeItem.h"
#include "ModulBasis.h"
#include "PaintTarget.h"
#include "ScriptedDialogs.h"
#include "StdDrawStrategies.h"
#include "UserDrawLayer.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"

#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <span>
#include <tuple>

namespace {

// The selection frame with trees built from a compact description and read
// back the same way: "a [F x y ] b" is a, folder F with x and y, then b, below
// the root; a folder written "{H ... }" is hidden and collapsed. Element n of
// its parent has its vertex at northing 5400000 + n.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { frame.show(); }

    static Coord vertex(double north) { return Coord{1, 0, north, 3500000}; }
    static StdDrawAppearance appearanceOf(const StdDrawStrategy& strategy, const QString& name = {}) {
        StdDrawAppearance a = strategy.defaultAppearance();
        a.strategy = &strategy;
        a.name = name;
        return a;
    }

    void build(const QString& description) {
        frame.tvObjects()->clearBelowRoot();
        QList<QTreeWidgetItem*> open{frame.root()};
        for (const QString& t : description.split(' ', Qt::SkipEmptyParts)) {
            QTreeWidgetItem* parent = open.last();
            if (t == "}") {
                itemOf(parent)->setShown(false);
                drawNode(parent)->setImageIndex(drawNode(parent)->kind() + 3);
                parent->setExpanded(false);
            }
            if (t == "]" || t == "}") {
                open.removeLast();
                continue;
            }
            const bool isFolder = t[0] == '[' || t[0] == '{';
            auto geometry = std::make_unique<StdDrawObject>();
            geometry->points = {vertex(5400000 + parent->childCount())};
            DrawTreeItem* item = isFolder
                                     ? static_cast<DrawTreeItem*>(new DrawTreeFolder)
                                     : new DrawTreeObject(appearanceOf(StdDrawSymbolStrategy::instance()), geometry);
            QTreeWidgetItem* node = item->insertInto(*frame.tvObjects(), parent, isFolder ? t.mid(1) : t);
            parent->addChild(parent->takeChild(0)); // inserted first, moved to the end
            if (isFolder)
                open.append(node);
        }
    }
    static QString describe(const QTreeWidgetItem* node) {
        QStringList parts;
        for (int i = 0; i < node->childCount(); ++i) {
            const QTreeWidgetItem* child = node->child(i);
            const bool hidden = !itemOf(child)->shown();
            if (dynamic_cast<const DrawTreeFolder*>(itemOf(child)) == nullptr)
                parts << child->text(0);
            else
                parts << (hidden ? "{" : "[") + child->text(0) + " " + describe(child) + (hidden ? " }" : " ]");
        }
        return parts.join(' ').simplified();
    }
    QString tree() const { return describe(frame.root()); }

    QTreeWidgetItem* find(const QString& text) const {
        const auto found = frame.tvObjects()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    DrawTreeObject* object(const QString& name) const { return dynamic_cast<DrawTreeObject*>(itemOf(find(name))); }
    void select(const QStringList& names) {
        frame.tvObjects()->clearSelection();
        for (const QString& name : names)
            (name == "root" ? frame.root() : find(name))->setSelected(true);
    }
    void commit(QTreeWidgetItem* node, StdDrawAppearance a, std::initializer_list<Coord> points = {}) {
        ZeichnenDrawObjectTarget target(frame, node);
        target.setAppearance(&a);
        target.geometry().points = points;
        EXPECT_TRUE(target.commit());
    }

    Platform::ScriptedDialogs dialogs;
    TZeichnenAuswahlFrame frame;
};

} // namespace

TEST_F(FrameTest, TwoPointsStayOpenAndTheDefaultRecords) {
    StdDrawObject g;
    EXPECT_FALSE(g.setClosed(true)) << "no points";
    g.points = {vertex(1), vertex(2)};
    EXPECT_FALSE(g.setClosed(true)) << "two points stay open";
    EXPECT_FALSE(g.closed());
    g.points.push_back(vertex(3));
    EXPECT_TRUE(g.setClosed(true) && g.closed());

    const StdDrawAppearance a;
    EXPECT_EQ(std::tuple(a.strategy, a.sides, a.length, a.lengthInMetres, a.lineWidth, int(a.lineStyle), a.lineColor,
                         int(a.fillStyle), a.fillColor, a.hasBackColor, a.backColor, a.icon),
              std::tuple(nullptr, 4, 10.0, false, 3, 0, 0xFF00FFu, 7, 0x800080u, false, 0xFFFFFFu, nullptr))
        << "magenta pen of width 3, purple diagonal cross hatch";
    DefaultAppearances::record(1).fillStyle = 1;
    DefaultAppearances::reset();
    EXPECT_EQ(std::pair(int(DefaultAppearances::record(1).fillStyle), DefaultAppearances::record(1).fillColor),
              std::pair(7, 0x800080u));
    EXPECT_EQ(std::pair(int(DefaultAppearances::record(2).fillStyle), DefaultAppearances::record(2).fillColor),
              std::pair(0, 0xFFFFFFu))
        << "texts: solid white";
}

TEST_F(FrameTest, NewFoldersAndElementsArePlacedByTheSelection) {
    EXPECT_EQ(frame.root()->text(0), QString("Alle Zeichnungselemente"));
    EXPECT_FALSE(frame.root()->flags() & Qt::ItemIsEditable) << "the root cannot be renamed";
    StdDrawAppearance line = appearanceOf(StdDrawLineAreaStrategy::instance());

    // Nothing selected: below the root; the element takes the geometry and a copy of the appearance.
    ZeichnenDrawObjectTarget first(frame, frame.insertionNode());
    first.setAppearance(&line);
    first.geometry().points = {vertex(1), vertex(2), vertex(3)};
    first.geometry().setClosed(true);
    const StdDrawObject* handedOver = &first.geometry();
    ASSERT_TRUE(first.commit());
    ASSERT_NE(object("Fläche"), nullptr) << "empty name: the kind label";
    EXPECT_EQ(&object("Fläche")->geometry(), handedOver);
    EXPECT_NE(&object("Fläche")->appearance(), &line);
    EXPECT_TRUE(first.geometry().points.empty() && !first.geometry().closed()) << "the target starts anew";

    // Relative to an element: right after it.
    for (const StdDrawStrategy* s : std::span(StdDrawStrategies::all(), StdDrawStrategies::Count))
        commit(find("Fläche"), appearanceOf(*s), {vertex(1)});
    EXPECT_EQ(tree(), QString("Fläche Text Linie Symbol Form"));

    // Relative to a folder: its first child, and the folder is opened.
    select({"Fläche"});
    QTreeWidgetItem* folder = frame.newFolder();
    EXPECT_TRUE(folder->isSelected() && (folder->flags() & Qt::ItemIsEditable));
    EXPECT_EQ(drawNode(folder)->imageIndex(), 2) << "collapsed";
    ASSERT_EQ(frame.insertionNode(), folder);
    commit(folder, appearanceOf(StdDrawLineAreaStrategy::instance(), "Weg"), {vertex(1), vertex(2)});
    commit(folder, line);
    EXPECT_EQ(tree(), QString("Fläche [Ordner Linie Weg ] Text Linie Symbol Form"));
    EXPECT_EQ(drawNode(folder)->imageIndex(), 1) << "opened";
    EXPECT_EQ(frame.changeCount(), 7) << "folders are not counted";

    // The target's node was deleted meanwhile: the root is taken.
    ZeichnenDrawObjectTarget orphan(frame, folder);
    delete folder;
    orphan.setAppearance(&line);
    ASSERT_TRUE(orphan.commit());
    EXPECT_EQ(tree(), QString("Linie Fläche Text Linie Symbol Form"));
    EXPECT_FALSE(ZeichnenDrawObjectTarget(frame, nullptr).commit()) << "no appearance";
}

TEST_F(FrameTest, MoveUpAndDownFollowTheContainerRules) {
    // Before, the selection in its order, up or down, after.
    const std::tuple<const char*, QStringList, bool, const char*> cases[] = {
        {"a b", {"a"}, true, "a b"},
        {"a b", {"root"}, true, "a b"},
        {"a b", {"root"}, false, "a b"},
        {"a b", {"b"}, false, "a b"},
        {"a b c", {"c"}, true, "a c b"},
        {"a b c", {"a"}, false, "b a c"},
        {"[F x ] b", {"b"}, true, "[F x b ]"},      // into the folder above, as its last child
        {"a [F x ]", {"a"}, false, "[F a x ]"},     // into the folder below, as its first child
        {"a [F x y ]", {"x"}, true, "a x [F y ]"},  // out of the folder
        {"[F x y ] b", {"y"}, false, "[F x ] y b"}, // out of the folder
        {"a {H x } b", {"b"}, true, "a b {H x }"},  // past a hidden folder
        {"a {H x } b", {"a"}, false, "{H x } a b"}, // past a hidden folder
        {"[F a {H x } b ]", {"b"}, true, "[F a b {H x } ]"},
        {"a [F x ] b", {"F"}, false, "a b [F x ]"},
        {"a b c d", {"b", "d"}, true, "b a d c"},
    };
    for (const auto& [before, selection, up, after] : cases) {
        build(before);
        if (QTreeWidgetItem* hidden = find("H")) {
            ASSERT_EQ(drawNode(hidden)->imageIndex(), 5) << before;
        }
        select(selection);
        QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
        (up ? frame.pshUp : frame.pshDown)->click();
        const std::string legend =
            QString("%1, %2 %3").arg(before, selection.join(' '), up ? "up" : "down").toStdString();
        EXPECT_EQ(tree(), QString(after)) << legend;
        EXPECT_EQ(repaints.count(), 1) << legend;
        for (const QString& name : selection)
            EXPECT_TRUE((name == "root" ? frame.root() : find(name))->isSelected()) << legend << ": stays selected";
        EXPECT_EQ(frame.tvObjects()->selectedItems().size(), selection.size()) << legend;
    }
    // An open folder stays open, with its image, when it moves.
    build("a [F x ]");
    select({"F"});
    frame.moveUp();
    EXPECT_EQ(tree(), QString("[F x ] a"));
    EXPECT_TRUE(find("F")->isExpanded());
    EXPECT_EQ(drawNode(find("F"))->imageIndex(), 1);
}

TEST_F(FrameTest, ShowHideBoxFollowsTheSelection) {
    build("a b [F x ]");
    itemOf(find("b"))->setShown(false);
    drawNode(find("b"))->setImageIndex(3);
    // The selection, the box, the centre button.
    const std::tuple<QStringList, Qt::CheckState, bool> states[] = {{{}, Qt::PartiallyChecked, false},
                                                                    {{"F"}, Qt::Checked, false},
                                                                    {{"b"}, Qt::Unchecked, true},
                                                                    {{"a", "b"}, Qt::PartiallyChecked, true}};
    for (const auto& [names, box, centre] : states) {
        select(names);
        EXPECT_EQ(std::pair(frame.chkShow->checkState(), frame.pshCenter->isEnabled()), std::pair(box, centre))
            << names.join(' ').toStdString();
    }
    // Grayed steps to unchecked, then checked, then grayed again, which changes no flag.
    QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);
    auto state = [&](const char* name) {
        return std::tuple(frame.chkShow->checkState(), itemOf(find(name))->shown(), drawNode(find(name))->imageIndex());
    };
    for (auto [box, shown, image] : {std::tuple(Qt::Unchecked, false, 3), std::tuple(Qt::Checked, true, 0),
                                     std::tuple(Qt::PartiallyChecked, true, 0)}) {
        frame.chkShow->click();
        EXPECT_EQ(state("a"), std::tuple(box, shown, image));
        EXPECT_EQ(state("b"), std::tuple(box, shown, image));
    }
    EXPECT_EQ(repaints.count(), 2);
    // Hiding an open folder keeps its kind; its content keeps its flags.
    select({"F"});
    frame.chkShow->click();
    frame.chkShow->click();
    EXPECT_EQ(state("F"), std::tuple(Qt::Unchecked, false, 4));
    EXPECT_TRUE(itemOf(find("x"))->shown());
}

TEST_F(FrameTest, DeleteAsksAndKeepsTheRoot) {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    Modul::Basis basis;
    basis.setAppName("Zeichnen-Test");
    basis.writeSetting("LastOverlayPathName", "/daten/touren");
    QSignalSpy repaints(&frame, &TZeichnenAuswahlFrame::mapChanged);

    build("a [F x y ] b");
    select({"F", "y"});
    dialogs.messageAnswers = {Platform::MsgResult::No, Platform::MsgResult::Yes};
    frame.pshDelete->click();
    EXPECT_EQ(tree(), QString("a [F x y ] b")) << "No deletes nothing";
    frame.pshDelete->click();
    EXPECT_EQ(tree(), QString("a b")) << "a folder and one of its elements together";
    ASSERT_EQ(dialogs.messages.size(), 2);
    const auto& asked = dialogs.messages[0];
    EXPECT_EQ(std::tuple(asked.text, asked.caption, asked.buttons, asked.icon),
              std::tuple(QString("Wollen Sie das/die gewählte(n) Elemente wirklich löschen?"),
                         Modul::applicationTitle(), Platform::MsgButtons::YesNo, Platform::MsgIcon::Error));
    EXPECT_EQ(repaints.count(), 1);
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), QString("/daten/touren")) << "root not selected";

    // With the root selected the whole content goes, and the remembered overlay is forgotten.
    build("a [F x ] b");
    select({"root", "x"});
    frame.deleteSelected();
    EXPECT_EQ(tree(), QString());
    ASSERT_EQ(frame.tvObjects()->topLevelItemCount(), 1);
    EXPECT_EQ(frame.root()->text(0), QString("Alle Zeichnungselemente")) << "the root stays";
    EXPECT_EQ(basis.readSetting("LastOverlayPathName"), QString());
    EXPECT_EQ(repaints.count(), 2);
}

TEST_F(FrameTest, CentreTakesTheFirstSelectedElementWithAVertex) {
    build("a [F x ] b");
    Coord position{};
    select({"F"});
    EXPECT_FALSE(frame.centrePosition(position)) << "folders have no position";
    object("a")->geometry().points.clear();
    select({"F", "a", "b"});
    ASSERT_TRUE(frame.centrePosition(position));
    EXPECT_EQ(position.x, 5400000 + 2) << "b, the first with a vertex";
    frame.centreSelected(); // without a map window module the map sequence refuses, and nothing happens
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FrameTest, LayerPaintsFirstElementOnTopAndSkipsHiddenFolders) {
    // Filled squares of side 20 without a pen, overlapping at (50, 50); g lies a little to the right.
    build("r [F g ] b");
    PaintTarget target(QSize(100, 100));
    const std::tuple<const char*, uint32_t, int> squares[] = {
        {"r", 0x0000FF, 50}, {"g", 0x00FF00, 60}, {"b", 0xFF0000, 50}};
    for (auto [name, colour, x] : squares) {
        StdDrawAppearance& a = object(name)->appearance();
        std::tie(a.length, a.lineStyle, a.fillStyle, a.fillColor) = std::tuple(20.0, 5, 0, colour);
        object(name)->geometry().points = {target.at(x, 50)};
    }
    auto paintedAt = [&](int x) {
        target.image.fill(Qt::white);
        target.begin();
        frame.layer().Paint(target);
        return target.end().pixel(x, 50);
    };
    EXPECT_EQ(paintedAt(50), qRgb(255, 0, 0)) << "the first element is painted last";
    EXPECT_EQ(paintedAt(68), qRgb(0, 255, 0)) << "the folder's content under it";
    itemOf(find("F"))->setShown(false);
    emit frame.mapChanged();
    EXPECT_EQ(paintedAt(68), qRgb(255, 255, 255)) << "a hidden folder hides its content";
    EXPECT_EQ(paintedAt(50), qRgb(255, 0, 0));
    itemOf(frame.root())->setShown(false);
    emit frame.mapChanged();
    EXPECT_EQ(paintedAt(50), qRgb(255, 255, 255)) << "a hidden root hides everything";
    MapEventInfo noCanvas;
    frame.layer().Paint(noCanvas); // without a canvas nothing happens
}

// On the screen the layer keeps its picture for the view: repaints of the
// view, whole or clipped, show what drawing anew shows; a moved or zoomed
// view and a changed drawing are drawn anew.
TEST_F(FrameTest, KeptPictureShowsWhatDrawingAnewShows) {
    build("l s");
    PaintTarget target(QSize(160, 120));
    StdDrawAppearance& line = object("l")->appearance();
    line = appearanceOf(StdDrawLineAreaStrategy::instance());
    line.lineWidth = 5;
    object("l")->geometry().points = {target.at(10, 100), target.at(80, 15), target.at(150, 90)};
    object("s")->appearance() = appearanceOf(StdDrawSymbolStrategy::instance()); // hatched square
    object("s")->geometry().points = {target.at(70, 60)};
    struct Printed : PaintTarget {
        using PaintTarget::PaintTarget;
        bool IsScreen() const override { return false; }
    };
    const auto paint = [&](PaintTarget& into, const QRect& clip = QRect()) {
        into.image.fill(Qt::white);
        into.begin();
        if (!clip.isNull())
            into.painter->setClipRect(clip);
        frame.layer().Paint(into);
        return into.end();
    };
    const auto anew = [&] {
        Printed printed(target.image.size());
        std::tie(printed.east0, printed.north0, printed.metres) = std::tie(target.east0, target.north0, target.metres);
        printed.image.setDotsPerMeterX(target.image.dotsPerMeterX());
        printed.image.setDotsPerMeterY(target.image.dotsPerMeterY());
        return paint(printed);
    };
    QImage expected = anew();
    EXPECT_EQ(paint(target), expected);
    EXPECT_EQ(paint(target), expected) << "from the kept picture";
    const QRect part(60, 30, 40, 50);
    QImage inPart(expected.size(), QImage::Format_RGB32);
    inPart.fill(Qt::white);
    {
        QPainter p(&inPart);
        p.drawImage(part.topLeft(), expected, part);
    }
    EXPECT_EQ(paint(target, part), inPart) << "only the clipped part";

    target.east0 -= 24; // the view moved right by 12 pixels
    expected = anew();
    EXPECT_EQ(paint(target), expected);
    target.metres = 4; // zoomed out
    expected = anew();
    EXPECT_EQ(paint(target), expected);
    object("l")->appearance().lineColor = 0x00FF00;
    emit frame.mapChanged();
    expected = anew();
    EXPECT_EQ(paint(target), expected) << "the changed drawing";
    // A canvas of higher resolution: the symbol grows with it, in the kept
    // picture too.
    target.image.setDotsPerMeterX(int(150 / 0.0254));
    target.image.setDotsPerMeterY(int(150 / 0.0254));
    expected = anew();
    EXPECT_EQ(paint(target), expected) << "150 dots per inch";
}
