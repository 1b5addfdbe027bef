#include "DrawTreeItem.h"
#include "PaintTarget.h"
#include "StdDrawStrategies.h"
#include "UserDrawLayer.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"

#include <gtest/gtest.h>

namespace {

Coord point(double x, double y) {
    Coord c{};
    c.type = 1;
    c.x = x;
    c.y = y;
    return c;
}

StdDrawAppearance appearanceOf(const StdDrawStrategy& strategy) {
    StdDrawAppearance a = strategy.defaultAppearance();
    a.strategy = &strategy;
    return a;
}

int imageIndex(QTreeWidgetItem* node) {
    return drawNode(node)->imageIndex();
}

} // namespace

TEST(DrawGeometry, ClosingNeedsThreePoints) {
    StdDrawObject g;
    EXPECT_FALSE(g.closed());
    EXPECT_FALSE(g.setClosed(true)) << "no points";
    g.points = {point(1, 1), point(2, 2)};
    EXPECT_FALSE(g.setClosed(true)) << "two points stay open";
    EXPECT_FALSE(g.closed());
    EXPECT_EQ(StdDrawLineAreaStrategy::instance().kindLabel(g), QString("Linie")) << "and are labelled as a line";
    g.points.push_back(point(3, 1));
    EXPECT_TRUE(g.setClosed(true));
    EXPECT_EQ(StdDrawLineAreaStrategy::instance().kindLabel(g), QString("Fläche"));
    EXPECT_FALSE(g.setClosed(false));
}

TEST(DrawAppearance, DefaultsAndTheThreeRecords) {
    const StdDrawAppearance a;
    EXPECT_EQ(a.strategy, nullptr);
    EXPECT_TRUE(a.name.isEmpty());
    EXPECT_EQ(a.sides, 4);
    EXPECT_EQ(a.length, 10.0);
    EXPECT_FALSE(a.lengthInMetres);
    EXPECT_TRUE(a.text.isEmpty());
    EXPECT_EQ(a.lineWidth, 3);
    EXPECT_EQ(a.lineStyle, 0);
    EXPECT_EQ(a.lineColor, 0xFF00FFu) << "magenta";
    EXPECT_EQ(a.fillStyle, 7) << "diagonal cross hatch";
    EXPECT_EQ(a.fillColor, 0x800080u) << "purple";
    EXPECT_FALSE(a.hasBackColor);
    EXPECT_EQ(a.backColor, 0xFFFFFFu);
    EXPECT_EQ(a.icon, nullptr);

    DefaultAppearances::record(2).lineWidth = 9;
    DefaultAppearances::reset();
    EXPECT_EQ(DefaultAppearances::record(2).lineWidth, 3) << "reset restores the defaults";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(DefaultAppearances::record(i).fillStyle, 7) << i;
        EXPECT_EQ(DefaultAppearances::record(i).fillColor, 0x800080u) << i;
    }
    EXPECT_EQ(DefaultAppearances::record(2).fillStyle, 0) << "texts: solid";
    EXPECT_EQ(DefaultAppearances::record(2).fillColor, 0xFFFFFFu) << "texts: white";
}

TEST(DrawTree, RootAndImageIndices) {
    TZeichnenAuswahlFrame frame;
    TDrawTreeView& tree = *frame.tvObjects();
    QTreeWidgetItem* root = frame.root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(root->text(0), QString("Alle Zeichnungselemente"));
    EXPECT_NE(dynamic_cast<DrawTreeFolder*>(itemOf(root)), nullptr);
    EXPECT_FALSE(root->flags() & Qt::ItemIsEditable) << "the root cannot be renamed";
    EXPECT_EQ(tree.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(tree.dragDropMode(), QAbstractItemView::NoDragDrop);

    QTreeWidgetItem* folder = frame.newFolder();
    EXPECT_EQ(folder->text(0), QString("Ordner"));
    EXPECT_TRUE(folder->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(folder->isSelected()) << "the new folder is selected";
    EXPECT_EQ(imageIndex(folder), 2) << "collapsed folder";
    EXPECT_EQ(imageIndex(root), 1) << "the root was expanded for its first child";
    folder->setExpanded(true);
    EXPECT_EQ(imageIndex(folder), 1);
    folder->setExpanded(false);
    EXPECT_EQ(imageIndex(folder), 2);
    drawNode(folder)->setImageIndex(5);
    folder->setExpanded(true);
    EXPECT_EQ(imageIndex(folder), 4) << "expanding keeps the hidden offset";
    folder->setExpanded(false);
    EXPECT_EQ(imageIndex(folder), 5);
}

TEST(DrawTree, CommitPlacesNamesAndCounts) {
    TZeichnenAuswahlFrame frame;
    TDrawTreeView& tree = *frame.tvObjects();
    EXPECT_EQ(frame.changeCount(), 0);
    StdDrawAppearance line = appearanceOf(StdDrawLineAreaStrategy::instance());

    // Nothing selected: below the root.
    ZeichnenDrawObjectTarget first(frame, frame.insertionNode());
    first.setAppearance(&line);
    first.geometry().points = {point(0, 0), point(10, 0), point(10, 10)};
    first.geometry().setClosed(true);
    StdDrawObject* handedOver = &first.geometry();
    ASSERT_TRUE(first.commit());
    ASSERT_EQ(frame.root()->childCount(), 1);
    QTreeWidgetItem* area = frame.root()->child(0);
    EXPECT_EQ(area->text(0), QString("Fläche")) << "empty name: the kind label";
    EXPECT_EQ(imageIndex(area), 0);
    auto* object = dynamic_cast<DrawTreeObject*>(itemOf(area));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(&object->geometry(), handedOver) << "the element took the geometry over";
    EXPECT_NE(&object->appearance(), &line) << "and a copy of the appearance";
    EXPECT_TRUE(first.geometry().points.empty()) << "the target starts a new geometry";
    EXPECT_FALSE(first.geometry().closed());
    EXPECT_EQ(frame.changeCount(), 1);

    // Kind labels of the other strategies.
    struct Case {
        const StdDrawStrategy* strategy;
        const char* label;
    };
    const Case cases[] = {{&StdDrawSymbolStrategy::instance(), "Form"},
                          {&StdDrawBitmapIconStrategy::instance(), "Symbol"},
                          {&StdDrawTextStrategy::instance(), "Text"},
                          {&StdDrawLineAreaStrategy::instance(), "Linie"}};
    for (const Case& c : cases) {
        StdDrawAppearance a = appearanceOf(*c.strategy);
        ZeichnenDrawObjectTarget target(frame, area);
        target.setAppearance(&a);
        target.geometry().points = {point(1, 1)};
        ASSERT_TRUE(target.commit());
        EXPECT_EQ(tree.nodeAt(2)->text(0), QString(c.label)) << "right after the selected element";
    }
    EXPECT_EQ(frame.changeCount(), 5);

    // A named element, while a folder is selected: its first child.
    tree.clearSelection();
    area->setSelected(true);
    QTreeWidgetItem* folder = frame.newFolder();
    folder->setExpanded(false);
    EXPECT_EQ(tree.absoluteIndex(folder), 2) << "after the area, which was selected";
    line.name = "Weg";
    ZeichnenDrawObjectTarget intoFolder(frame, frame.insertionNode());
    intoFolder.setAppearance(&line);
    intoFolder.geometry().points = {point(0, 0), point(5, 5)};
    ASSERT_TRUE(intoFolder.commit());
    ASSERT_EQ(folder->childCount(), 1);
    EXPECT_EQ(folder->child(0)->text(0), QString("Weg"));
    EXPECT_TRUE(folder->isExpanded()) << "the folder is opened";
    EXPECT_EQ(imageIndex(folder), 1);
    ZeichnenDrawObjectTarget second(frame, folder);
    second.setAppearance(&line);
    ASSERT_TRUE(second.commit());
    EXPECT_EQ(folder->indexOfChild(tree.nodeAt(3)), 0) << "new elements go first into the folder";
    EXPECT_EQ(frame.changeCount(), 7) << "folders are not counted";

    // The target's node was deleted meanwhile: the root is taken.
    ZeichnenDrawObjectTarget orphan(frame, folder);
    delete folder;
    orphan.setAppearance(&line);
    ASSERT_TRUE(orphan.commit());
    EXPECT_EQ(frame.root()->child(0)->text(0), QString("Weg"));

    ZeichnenDrawObjectTarget noAppearance(frame, nullptr);
    EXPECT_FALSE(noAppearance.commit());
}

namespace {

// A square element of the given colour centred on (x, y), side 20, no pen.
QTreeWidgetItem* addSquare(TZeichnenAuswahlFrame& frame, QTreeWidgetItem* after, const PaintTarget& target, int x,
                           int y, uint32_t colour, const QString& name) {
    StdDrawAppearance a = appearanceOf(StdDrawSymbolStrategy::instance());
    a.name = name;
    a.length = 20;
    a.lineStyle = 5;
    a.fillStyle = 0;
    a.fillColor = colour;
    ZeichnenDrawObjectTarget t(frame, after);
    t.setAppearance(&a);
    t.geometry().points = {target.at(x, y)};
    t.commit();
    return frame.tvObjects()->nodeAt(frame.tvObjects()->absoluteIndex(after ? after : frame.root()) + 1);
}

} // namespace

TEST(DrawTree, LayerPaintsFirstElementOnTopAndSkipsHiddenFolders) {
    TZeichnenAuswahlFrame frame;
    PaintTarget target(QSize(100, 100));
    // Tree: red, folder { green }, blue — all overlapping at (50, 50).
    QTreeWidgetItem* red = addSquare(frame, frame.root(), target, 50, 50, 0x0000FF, "rot");
    ASSERT_EQ(red->text(0), QString("rot"));
    QTreeWidgetItem* blue = addSquare(frame, red, target, 50, 50, 0xFF0000, "blau");
    frame.tvObjects()->clearSelection();
    red->setSelected(true);
    frame.tvObjects()->setCurrentItem(red);
    QTreeWidgetItem* folder = frame.newFolder();
    QTreeWidgetItem* green = addSquare(frame, folder, target, 60, 50, 0x00FF00, "grün");
    ASSERT_EQ(frame.tvObjects()->absoluteIndex(blue), 4);

    target.begin();
    frame.layer().Paint(target);
    QImage image = target.end();
    EXPECT_EQ(image.pixel(50, 50), qRgb(255, 0, 0)) << "the first element is painted last";
    EXPECT_EQ(image.pixel(68, 50), qRgb(0, 255, 0)) << "the folder's content under it";

    itemOf(folder)->setShown(false);
    itemOf(green)->setShown(true);
    target.image.fill(Qt::white);
    target.begin();
    frame.layer().Paint(target);
    image = target.end();
    EXPECT_EQ(image.pixel(68, 50), qRgb(255, 255, 255)) << "a hidden folder hides its content";
    EXPECT_EQ(image.pixel(50, 50), qRgb(255, 0, 0));

    itemOf(frame.root())->setShown(false);
    target.image.fill(Qt::white);
    target.begin();
    frame.layer().Paint(target);
    image = target.end();
    EXPECT_EQ(image.pixel(50, 50), qRgb(255, 255, 255)) << "a hidden root hides everything";

    MapEventInfo noCanvas;
    frame.layer().Paint(noCanvas); // without a canvas nothing happens
}
