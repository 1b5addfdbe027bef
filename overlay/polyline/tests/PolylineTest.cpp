// The editable polyline: the element's operations and drawing, and the edit
// function's press modes, click rule, cursors and delete popup.
#include "UD2Element.h"
#include "UD2Function.h"
#include "UD2Tree.h"

#include <QAction>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr uint32_t WindowPoint = 0xC001;

// A map event whose map is the window itself: a position of type 0 is a
// window pixel; positions with x from 9000 to 9999 cannot be converted.
class Event : public MapEventInfo {
public:
    Event(double x, double y, QPainter* painter = nullptr) {
        position = Coord{WindowPoint, 0, x, y};
        canvas = painter;
    }
    QRect ViewRect() const override { return view; }
    bool Transform(const Coord& from, Coord& to) const override {
        if (from.x >= 9000 && from.x < 10000)
            return false;
        const uint32_t type = to.type;
        to = from;
        to.type = type;
        return true;
    }
    QRect view{0, 0, 200, 200};
};

Coord at(double x, double y) {
    return Coord{0, 0, x, y};
}

class Editor : public UD2Function::EditElement {
public:
    using EditElement::EditElement;
    void changed() override { ++changes; }
    int changes = 0;
};

void press(Editor& e, double x, double y) {
    Event ev(x, y);
    e.ButtonDown(ev);
}
void release(Editor& e, double x, double y) {
    Event ev(x, y);
    e.ButtonUp(ev);
}
void click(Editor& e, double x0, double y0, double x1, double y1) {
    press(e, x0, y0);
    release(e, x1, y1);
}

} // namespace

TEST(UD2Element, ShapeKindPointsAndHits) {
    UD2Element::LineArea line;
    EXPECT_EQ(line.shapeKind(), 1);
    EXPECT_TRUE(line.appendPoint(at(100, 100)) && line.appendPoint(at(150, 100)));
    EXPECT_EQ(line.shapeKind(), 1) << "two points";
    line.setClosed(true);
    EXPECT_EQ(line.shapeKind(), 1) << "two closed points are no area yet";
    EXPECT_TRUE(line.appendPoint(at(150, 150)));
    EXPECT_EQ(line.shapeKind(), 3);
    EXPECT_FALSE(line.appendPoint(at(0, 0))) << "a closed area takes no more points";
    EXPECT_FALSE(line.movePoint(3, at(0, 0)) || line.movePoint(-1, at(0, 0)) || line.removePoint(3));
    EXPECT_TRUE(line.movePoint(2, at(140, 150)));
    line.setClosed(false);
    EXPECT_EQ(line.shapeKind(), 2);

    // Closer than 3 pixels: 2 across and (2, 2) diagonally hit; 3 does not.
    int index = -1;
    EXPECT_TRUE(line.hitPoint(Event(102, 100), index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(line.hitPoint(Event(148, 102), index));
    EXPECT_EQ(index, 1);
    index = -1;
    EXPECT_FALSE(line.hitPoint(Event(103, 100), index));
    EXPECT_FALSE(line.hitPoint(Event(100, 97), index));
    EXPECT_EQ(index, -1);
    // Removing moves the following points up.
    EXPECT_TRUE(line.removePoint(0));
    EXPECT_EQ(line.pointCount(), 2);
    EXPECT_EQ(line.points()[0].x, 150);
}

TEST(UD2Tree, EditableOnlyWithEveryAncestorEnabled) {
    UD2Tree::Folder top(QStringLiteral("top"));
    auto* sub = static_cast<UD2Tree::Folder*>(top.add(std::make_unique<UD2Tree::Folder>(QStringLiteral("sub"))));
    auto* leaf = static_cast<UD2Element::LineArea*>(sub->add(std::make_unique<UD2Element::LineArea>()));
    ASSERT_TRUE(leaf != nullptr && leaf->parent() == sub && sub->parent() == &top);
    EXPECT_TRUE(leaf->isEditable());
    top.setEnabled(false);
    EXPECT_FALSE(leaf->isEditable());
    EXPECT_FALSE(sub->isEditable());
    top.setEnabled(true);
    sub->setEnabled(false);
    EXPECT_FALSE(leaf->isEditable());
    EXPECT_TRUE(top.isEditable());
    std::unique_ptr<UD2Tree::Node> taken = sub->take(leaf);
    ASSERT_EQ(taken.get(), leaf);
    EXPECT_EQ(leaf->parent(), nullptr);
    EXPECT_TRUE(leaf->isEditable()) << "on its own again";
    EXPECT_EQ(sub->take(leaf), nullptr);
}

// Presses and releases: the 6-pixel click rule, dragging from within and
// beyond 3 pixels of a vertex, and the changes they report.
TEST(UD2Function, ClickRuleAndDragging) {
    UD2Element::LineArea line;
    Editor editor(&line);
    click(editor, 50, 50, 55, 45);
    ASSERT_EQ(line.pointCount(), 1) << "5 pixels apart is a click";
    EXPECT_EQ(line.points()[0].x, 55) << "at the release";
    EXPECT_EQ(editor.changes, 1);
    click(editor, 80, 50, 86, 50);
    click(editor, 80, 50, 80, 56);
    EXPECT_EQ(line.pointCount(), 1) << "6 pixels apart is no click";
    EXPECT_EQ(editor.changes, 1);

    // From 2 pixels beside the vertex (55, 45) the vertex is dragged.
    press(editor, 57, 45);
    EXPECT_EQ(editor.mode(), UD2Function::EditElement::Vertex);
    EXPECT_EQ(editor.cursorClass(), 2);
    release(editor, 120, 130);
    ASSERT_EQ(line.pointCount(), 1);
    EXPECT_EQ(line.points()[0].x, 120);
    EXPECT_EQ(line.points()[0].y, 130);
    EXPECT_EQ(editor.changes, 2);
    // From 3 pixels away the press is free: a long drag adds nothing, a short
    // one adds a point and leaves the vertex where it was.
    click(editor, 123, 130, 60, 60);
    EXPECT_EQ(line.pointCount(), 1);
    click(editor, 123, 130, 125, 131);
    ASSERT_EQ(line.pointCount(), 2);
    EXPECT_EQ(line.points()[0].x, 120);
    EXPECT_EQ(line.points()[1].x, 125);

    // A move without the button ends a press without effect.
    press(editor, 10, 10);
    Event move(12, 10);
    editor.MouseMove(move);
    EXPECT_EQ(editor.mode(), 0);
    release(editor, 12, 10);
    EXPECT_EQ(line.pointCount(), 2);
    EXPECT_EQ(editor.cursorClass(), 1);
    // A release that cannot be converted changes nothing.
    click(editor, 9001, 10, 9002, 10);
    EXPECT_EQ(line.pointCount(), 2);
    EXPECT_EQ(editor.changes, 3);
}

TEST(UD2Function, ClosedAreaAndNoEditableElement) {
    UD2Element::LineArea area;
    for (double x : {10.0, 60.0, 60.0})
        area.appendPoint(at(x, x == 60.0 && area.pointCount() == 2 ? 60 : 10));
    area.setClosed(true);
    ASSERT_EQ(area.shapeKind(), 3);
    Editor editor(&area);
    click(editor, 100, 100, 100, 100);
    EXPECT_EQ(area.pointCount(), 3) << "a closed area refuses points";
    EXPECT_EQ(editor.changes, 0);
    click(editor, 60, 60, 70, 80);
    EXPECT_EQ(area.points()[2].x, 70) << "but its vertices move";
    editor.removePoint(0);
    EXPECT_EQ(area.pointCount(), 2);
    EXPECT_EQ(editor.changes, 2);

    // Without an element, or with a disabled one: "no" cursor, no effect.
    Editor none;
    Event ev(10, 10);
    none.MouseMove(ev);
    EXPECT_EQ(none.cursorClass(), 0);
    click(none, 10, 10, 10, 10);
    EXPECT_EQ(none.changes, 0);
    area.setEnabled(false);
    editor.MouseMove(ev);
    EXPECT_EQ(editor.cursorClass(), 0);
    click(editor, 70, 80, 20, 20);
    EXPECT_EQ(area.points()[1].x, 70) << "a disabled element keeps its vertices";
    EXPECT_EQ(editor.changes, 2);
}

TEST(UD2Function, DeletePopupOffersPointOnlyOnAVertex) {
    UD2Element::LineArea line;
    Editor editor(&line);
    click(editor, 20, 20, 20, 20);
    click(editor, 80, 20, 80, 20);
    click(editor, 80, 80, 80, 80);
    TUD2_DeletePopup& popup = TUD2_DeletePopup::instance();
    EXPECT_EQ(popup.RemovePoint->text(), QStringLiteral("&Punkt löschen"));
    EXPECT_EQ(popup.RemoveAll->text(), QStringLiteral("&Alles löschen"));

    Event away(50, 50);
    editor.Context(away);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(popup.RemovePoint->isVisible()) << "no vertex hit: only \"&Alles löschen\"";
    EXPECT_TRUE(popup.RemoveAll->isVisible());
    popup.hide();

    Event onSecond(81, 21);
    editor.Context(onSecond);
    EXPECT_TRUE(popup.RemovePoint->isVisible());
    EXPECT_EQ(popup.vertex(), 1);
    popup.hide();
    const int before = editor.changes;
    popup.RemovePoint->trigger();
    ASSERT_EQ(line.pointCount(), 2);
    EXPECT_EQ(line.points()[1].y, 80) << "the second vertex went";
    EXPECT_EQ(editor.changes, before + 1);
    popup.RemoveAll->trigger();
    EXPECT_EQ(line.pointCount(), 0);
    EXPECT_EQ(editor.changes, before + 2);

    // A destroyed function leaves the popup acting for nothing.
    {
        UD2Element::LineArea other;
        other.appendPoint(at(5, 5));
        Editor gone(&other);
        Event onIt(5, 5);
        gone.Context(onIt);
        popup.hide();
    }
    EXPECT_EQ(popup.function(), nullptr);
    popup.RemoveAll->trigger(); // harmless
}

// Drawing: width and colour, a one-point run as a one-pixel line, a gap
// splitting the line and opening the area, far points clamped.
TEST(UD2Element, DrawRunsGapsAndClamping) {
    QImage image(200, 200, QImage::Format_RGB32);
    auto magentaIn = [&](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += image.pixel(x, y) == qRgb(255, 0, 255);
        return n;
    };
    auto paint = [&](const UD2Element::LineArea& element) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setBrush(QColor(255, 0, 255));
        Event ev(0, 0, &painter);
        element.draw(ev);
    };
    UD2Element::LineArea area;
    area.appendPoint(at(20, 20));
    area.appendPoint(at(180, 20));
    area.appendPoint(at(180, 180));
    area.appendPoint(at(20, 180));
    area.setClosed(true);
    paint(area);
    EXPECT_EQ(magentaIn(QRect(100, 100, 1, 1)), 1) << "a closed area is filled with the current brush";
    EXPECT_EQ(magentaIn(QRect(100, 10, 1, 10)), 1) << "3 pixels wide about y = 20";
    // A vertex that cannot be converted: two lines, the area unfilled.
    area.movePoint(2, at(9500, 180));
    paint(area);
    EXPECT_EQ(magentaIn(QRect(100, 100, 1, 1)), 0);
    EXPECT_GT(magentaIn(QRect(100, 18, 1, 6)), 0);
    EXPECT_EQ(magentaIn(QRect(100, 170, 1, 20)), 0) << "no line from the gap's neighbours across";
    // One point: a line of one pixel; a point far outside is clamped and
    // still gives the line its direction.
    UD2Element::LineArea dot;
    dot.penWidth = 1;
    dot.appendPoint(at(50, 60));
    paint(dot);
    EXPECT_GE(magentaIn(image.rect()), 1);
    EXPECT_EQ(magentaIn(image.rect()), magentaIn(QRect(50, 60, 2, 1)));
    UD2Element::LineArea far;
    far.penWidth = 1;
    far.appendPoint(at(10, 100));
    far.appendPoint(at(1.0e12, 100));
    paint(far);
    EXPECT_EQ(magentaIn(QRect(0, 100, 200, 1)), 190);
}
