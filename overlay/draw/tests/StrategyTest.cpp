#include "PaintTarget.h"
#include "StdDrawStrategies.h"
#include "SymbolIcon.h"

#include <QFontMetrics>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

const QRgb White = qRgb(255, 255, 255);

StdDrawAppearance appearanceOf(const StdDrawStrategy& strategy) {
    StdDrawAppearance a = strategy.defaultAppearance();
    a.strategy = &strategy;
    return a;
}

StdDrawObject geometryAt(std::initializer_list<Coord> points) {
    StdDrawObject g;
    g.points = points;
    return g;
}

int countNonWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != White ? 1 : 0;
    return n;
}

// The columns (or rows) that hold any pixel of that colour: first and last.
QPair<int, int> extent(const QImage& image, QRgb colour, bool horizontal) {
    int first = -1;
    int last = -1;
    const int outer = horizontal ? image.width() : image.height();
    const int inner = horizontal ? image.height() : image.width();
    for (int i = 0; i < outer; ++i) {
        for (int j = 0; j < inner; ++j) {
            const QRgb p = horizontal ? image.pixel(i, j) : image.pixel(j, i);
            if (p == colour) {
                if (first < 0)
                    first = i;
                last = i;
                break;
            }
        }
    }
    return {first, last};
}

QImage paint(PaintTarget& target, const StdDrawStrategy& strategy, const StdDrawObject& geometry,
             const StdDrawAppearance& appearance) {
    target.image.fill(Qt::white);
    target.begin();
    strategy.draw(target, geometry, appearance);
    return target.end();
}

} // namespace

TEST(DrawStrategies, TableOfKinds) {
    struct Row {
        const StdDrawStrategy* strategy;
        const char* element;
        const char* label;
        int record;
        bool point, shape, text, icon;
    };
    const Row rows[] = {
        {&StdDrawSymbolStrategy::instance(), "Symbol", "Form", 0, true, true, false, false},
        {&StdDrawBitmapIconStrategy::instance(), "BitmapIcon", "Symbol", 0, true, false, false, true},
        {&StdDrawLineAreaStrategy::instance(), "LineArea", "Linie", 1, false, false, false, false},
        {&StdDrawTextStrategy::instance(), "Text", "Text", 2, true, false, true, false},
    };
    const StdDrawObject open;
    for (int i = 0; i < 4; ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(StdDrawStrategies::all()[i], r.strategy) << r.element;
        EXPECT_EQ(r.strategy->elementName(), QString(r.element));
        EXPECT_EQ(r.strategy->kindLabel(open), QString::fromUtf8(r.label)) << r.element;
        EXPECT_EQ(&r.strategy->defaultAppearance(), &DefaultAppearances::record(r.record)) << r.element;
        EXPECT_EQ(r.strategy->isPointElement(), r.point) << r.element;
        EXPECT_EQ(r.strategy->usesShape(), r.shape) << r.element;
        EXPECT_EQ(r.strategy->hasText(), r.text) << r.element;
        EXPECT_EQ(r.strategy->hasIcon(), r.icon) << r.element;
    }
    StdDrawStrategies::bindDefaultAppearances();
    EXPECT_EQ(DefaultAppearances::record(1).strategy, &StdDrawLineAreaStrategy::instance());
    EXPECT_EQ(DefaultAppearances::record(2).strategy, &StdDrawTextStrategy::instance());
}

TEST(DrawAppearancePen, WideDashedLinesKeepTheirDashes) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter canvas(&image);
    StdDrawAppearance a;
    a.lineStyle = 1;
    a.lineWidth = 3;
    a.lineColor = 0x00FF00;
    canvas.setBackgroundMode(Qt::OpaqueMode);
    a.applyPen(canvas);
    EXPECT_EQ(canvas.backgroundMode(), Qt::TransparentMode);
    EXPECT_EQ(canvas.pen().style(), Qt::DashLine);
    EXPECT_EQ(canvas.pen().width(), 3);
    EXPECT_EQ(canvas.pen().capStyle(), Qt::RoundCap);
    EXPECT_EQ(canvas.pen().joinStyle(), Qt::RoundJoin);
    EXPECT_EQ(canvas.pen().color(), QColor(0, 255, 0));
    a.lineWidth = 1;
    a.applyPen(canvas);
    EXPECT_EQ(canvas.pen().style(), Qt::DashLine);
    EXPECT_EQ(canvas.pen().width(), 1);
    EXPECT_EQ(canvas.pen().capStyle(), Qt::FlatCap) << "the ordinary one-pixel pen";
    const Qt::PenStyle styles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                   Qt::DashDotDotLine, Qt::NoPen,    Qt::NoPen,   Qt::NoPen};
    for (int s = 0; s < 8; ++s) {
        a.lineStyle = uint8_t(s);
        a.applyPen(canvas);
        EXPECT_EQ(canvas.pen().style(), styles[s]) << "line style " << s;
    }
    canvas.end();

    // On the image: a wide dashed line has gaps along its whole length.
    PaintTarget target(QSize(120, 20));
    StdDrawAppearance line = appearanceOf(StdDrawLineAreaStrategy::instance());
    line.lineStyle = 1;
    line.lineWidth = 3;
    line.lineColor = 0x000000;
    const StdDrawObject g = geometryAt({target.at(5, 10), target.at(115, 10)});
    QImage dashed = paint(target, StdDrawLineAreaStrategy::instance(), g, line);
    int gaps = 0;
    for (int x = 10; x < 110; ++x)
        gaps += dashed.pixel(x, 10) == White ? 1 : 0;
    EXPECT_GT(gaps, 10) << "stays dashed";
    line.lineStyle = 0;
    QImage solid = paint(target, StdDrawLineAreaStrategy::instance(), g, line);
    for (int x = 10; x < 110; ++x)
        ASSERT_NE(solid.pixel(x, 10), White) << x;
}

TEST(DrawAppearanceBrush, HatchStylesAndBackground) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter canvas(&image);
    StdDrawAppearance a;
    const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
                                     Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    for (int s = 0; s < 8; ++s) {
        a.fillStyle = uint8_t(s);
        a.applyBrush(canvas);
        EXPECT_EQ(canvas.brush().style(), styles[s]) << "fill style " << s;
        EXPECT_EQ(canvas.backgroundMode(), Qt::TransparentMode) << s;
    }
    canvas.end();

    // A hatched area: gaps show the map, or the background colour when asked.
    PaintTarget target(QSize(60, 60));
    StdDrawAppearance area = appearanceOf(StdDrawLineAreaStrategy::instance());
    area.lineStyle = 5;
    area.fillStyle = 2; // horizontal lines
    area.fillColor = 0x000000;
    StdDrawObject g = geometryAt({target.at(5, 5), target.at(55, 5), target.at(55, 55), target.at(5, 55)});
    g.setClosed(true);
    QImage hatched = paint(target, StdDrawLineAreaStrategy::instance(), g, area);
    int white = 0;
    int black = 0;
    for (int y = 10; y < 50; ++y) {
        white += hatched.pixel(30, y) == White;
        black += hatched.pixel(30, y) == qRgb(0, 0, 0);
    }
    EXPECT_GT(white, 20);
    EXPECT_GT(black, 3);
    area.hasBackColor = true;
    area.backColor = 0x0000FF;
    QImage backed = paint(target, StdDrawLineAreaStrategy::instance(), g, area);
    for (int y = 10; y < 50; ++y) {
        const QRgb p = backed.pixel(30, y);
        EXPECT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 0, 0)) << "gap filled with the background, row " << y;
    }
    EXPECT_EQ(backed.pixel(2, 2), White) << "outside the area";
}

TEST(DrawSymbols, PointCountsLimitsAndScale) {
    PaintTarget target(QSize(100, 100));
    StdDrawAppearance a = appearanceOf(StdDrawSymbolStrategy::instance());
    a.lineStyle = 5;
    a.fillStyle = 0;
    a.fillColor = 0x000000;
    const auto& symbol = StdDrawSymbolStrategy::instance();

    // Exactly one point.
    EXPECT_EQ(countNonWhite(paint(target, symbol, geometryAt({}), a)), 0);
    EXPECT_EQ(countNonWhite(paint(target, symbol, geometryAt({target.at(50, 50), target.at(20, 20)}), a)), 0);
    StdDrawAppearance text = appearanceOf(StdDrawTextStrategy::instance());
    text.text = "A";
    EXPECT_EQ(countNonWhite(paint(target, StdDrawTextStrategy::instance(), geometryAt({}), text)), 0);
    EXPECT_EQ(countNonWhite(paint(target, StdDrawTextStrategy::instance(),
                                  geometryAt({target.at(50, 50), target.at(60, 60)}), text)),
              0);
    EXPECT_GT(countNonWhite(paint(target, StdDrawTextStrategy::instance(), geometryAt({target.at(50, 50)}), text)), 0);
    Coord outside{};
    outside.type = PaintTarget::Unconvertible;
    EXPECT_EQ(countNonWhite(paint(target, symbol, geometryAt({outside}), a)), 0);

    // A square of side 10 around (50, 50).
    const StdDrawObject centre = geometryAt({target.at(50, 50)});
    QImage square = paint(target, symbol, centre, a);
    EXPECT_EQ(extent(square, qRgb(0, 0, 0), true), qMakePair(45, 55));
    EXPECT_EQ(extent(square, qRgb(0, 0, 0), false), qMakePair(45, 55));

    // Far beyond the 16-bit range on a small view: the circle is skipped,
    // the square clamped and drawn.
    a.length = 70000;
    EXPECT_EQ(countNonWhite(paint(target, symbol, centre, a)), 100 * 100) << "square clamped";
    a.sides = 0;
    EXPECT_EQ(countNonWhite(paint(target, symbol, centre, a)), 0) << "circle skipped";
    PaintTarget wide(QSize(100, 100), QRect(-40000, 0, 100, 100));
    EXPECT_GT(countNonWhite(paint(wide, symbol, centre, a)), 0) << "drawn once the view leaves the 16-bit range";

    // A circle of radius 10 in metres, on a map of 2 metres per pixel.
    a.length = 10;
    a.lengthInMetres = true;
    QImage metres = paint(target, symbol, centre, a);
    const auto across = extent(metres, qRgb(0, 0, 0), true);
    EXPECT_NEAR(across.second - across.first, 10, 1) << "radius 5 pixels";

    // 600 dpi: s = 10 x 6 = 60; the pen keeps its width in device pixels.
    a.sides = 4;
    a.lengthInMetres = false;
    target.image.setDotsPerMeterX(int(600 / 0.0254));
    target.image.setDotsPerMeterY(int(600 / 0.0254));
    QImage printed = paint(target, symbol, centre, a);
    const auto printedWidth = extent(printed, qRgb(0, 0, 0), true);
    EXPECT_EQ(printedWidth, qMakePair(20, 80));
    target.begin();
    EXPECT_DOUBLE_EQ(target.PixelScale(), 6.0);
    a.lineStyle = 0;
    a.applyPen(*target.canvas);
    EXPECT_EQ(target.canvas->pen().width(), 3);
    target.end();

    // A picture symbol at six times its size.
    QImage picture(8, 4, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    SymbolIcon::DefaultSI icon("klein.bmp", std::make_unique<QImage>(picture));
    StdDrawAppearance pic = appearanceOf(StdDrawBitmapIconStrategy::instance());
    pic.icon = &icon;
    QImage big = paint(target, StdDrawBitmapIconStrategy::instance(), centre, pic);
    EXPECT_EQ(extent(big, qRgb(0, 0, 0), true), qMakePair(50 - 24, 50 + 23));
    EXPECT_EQ(extent(big, qRgb(0, 0, 0), false), qMakePair(50 - 12, 50 + 11));
    pic.icon = nullptr;
    EXPECT_EQ(countNonWhite(paint(target, StdDrawBitmapIconStrategy::instance(), centre, pic)), 0) << "no icon";
}

TEST(DrawLines, GapsSplitLinesAndOpenAreas) {
    PaintTarget target(QSize(100, 100));
    StdDrawAppearance a = appearanceOf(StdDrawLineAreaStrategy::instance());
    a.lineWidth = 1;
    a.lineColor = 0x000000;
    a.fillStyle = 0;
    a.fillColor = 0x0000FF;
    const auto& line = StdDrawLineAreaStrategy::instance();
    Coord gap{};
    gap.type = PaintTarget::Unconvertible;

    // 10,50 → 40,50 | gap | 60,50 → 90,50: nothing between 40 and 60.
    StdDrawObject broken =
        geometryAt({target.at(10, 50), target.at(40, 50), gap, target.at(60, 50), target.at(90, 50)});
    QImage two = paint(target, line, broken, a);
    EXPECT_NE(two.pixel(20, 50), White);
    EXPECT_NE(two.pixel(80, 50), White);
    EXPECT_EQ(two.pixel(50, 50), White) << "two separate polylines";

    // A closed area with a gap is drawn as lines, unfilled.
    StdDrawObject area = geometryAt({target.at(10, 10), target.at(90, 10), gap, target.at(90, 90), target.at(10, 90)});
    ASSERT_TRUE(area.setClosed(true));
    QImage open = paint(target, line, area, a);
    EXPECT_EQ(open.pixel(50, 50), White) << "unfilled";
    EXPECT_NE(open.pixel(50, 10), White);
    EXPECT_NE(open.pixel(50, 90), White);
    area.points.remove_if([](const Coord& c) { return c.type == PaintTarget::Unconvertible; });
    QImage filled = paint(target, line, area, a);
    EXPECT_EQ(filled.pixel(50, 50), qRgb(255, 0, 0)) << "without the gap the area is filled";

    // A run of one point is a line one pixel long; no points draw nothing.
    QImage dot = paint(target, line, geometryAt({target.at(30, 30)}), a);
    EXPECT_GE(countNonWhite(dot), 1);
    EXPECT_LE(countNonWhite(dot), 2);
    EXPECT_NE(dot.pixel(30, 30), White);
    EXPECT_EQ(countNonWhite(paint(target, line, geometryAt({}), a)), 0);
    EXPECT_EQ(countNonWhite(paint(target, line, geometryAt({gap, gap}), a)), 0);

    // Points beyond the 16-bit range are clamped, so the line still crosses the window.
    StdDrawObject far = geometryAt({target.at(-100000, 50), target.at(100000, 50)});
    QImage across = paint(target, line, far, a);
    for (int x = 0; x < 100; x += 7)
        EXPECT_NE(across.pixel(x, 50), White) << x;
}

TEST(DrawTexts, LinesBoxAndEmptyLines) {
    EXPECT_EQ(StdDrawStrategies::textLines("A\r\n\r\r\nB"), QStringList({"A", "", "B"}));
    EXPECT_EQ(StdDrawStrategies::textLines("A\n"), QStringList({"A", ""}));
    EXPECT_EQ(StdDrawStrategies::textLines("A\rB\r"), QStringList({"A\rB\r"})) << "the last line is kept as it is";

    PaintTarget target(QSize(200, 200));
    StdDrawAppearance a = appearanceOf(StdDrawTextStrategy::instance());
    const auto& text = StdDrawTextStrategy::instance();
    const StdDrawObject at = geometryAt({target.at(100, 100)});
    const QRgb magenta = qRgb(255, 0, 255);
    a.text = "A\n\nB";
    QImage three = paint(target, text, at, a);
    const QFontMetrics metrics(QPainter(&target.image).font(), &target.image);
    const int h = metrics.height();
    const auto rows = extent(three, magenta, false);
    const int frame = rows.second - rows.first + 1;
    // Box height H + 2 x line width, the pen of width 3 centred on its edges.
    EXPECT_NEAR(frame, 3 * h + 2 * 3 + 2, 2) << "three lines, the empty one as high as 'i'";
    EXPECT_NEAR((rows.first + rows.second) / 2.0, 100, 2) << "centred on the point";
    // "A" in the top line, "B" in the bottom one, the middle one empty.
    auto inkIn = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 90; x < 110; ++x)
                n += three.pixel(x, y) == qRgb(0, 0, 0);
        return n;
    };
    const int textTop = rows.first + 5;
    EXPECT_GT(inkIn(textTop, textTop + h), 0);
    EXPECT_EQ(inkIn(textTop + h + 1, textTop + 2 * h - 1), 0);
    EXPECT_GT(inkIn(textTop + 2 * h, textTop + 3 * h), 0);
    EXPECT_EQ(three.pixel(100, 100 - h / 2 + 2), White) << "solid white box inside the frame";

    a.text = "";
    EXPECT_EQ(countNonWhite(paint(target, text, at, a)), 0) << "an empty text draws nothing";
}

namespace {

// Random walks that leave the canvas many times, and symbols in and around it.
void drawScene(PaintTarget& target, int seed) {
    QRandomGenerator rng{uint32_t(seed)};
    StdDrawObject walk;
    double x = 60;
    double y = 60;
    // Odd seeds walk in steps below a pixel, so that many vertices repeat.
    const double step = seed % 2 ? 1.5 : 6.0;
    for (int i = 0; i < 4000; ++i) {
        x += rng.bounded(2 * step + 0.5) - step;
        y += rng.bounded(2 * step + 0.5) - step;
        walk.points.push_back(target.at(std::floor(x), std::floor(y)));
    }
    StdDrawAppearance line = appearanceOf(StdDrawLineAreaStrategy::instance());
    line.lineWidth = int(rng.bounded(1, 6));
    line.lineStyle = uint8_t(rng.bounded(0, 2));
    StdDrawLineAreaStrategy::instance().draw(target, walk, line);
    walk.setClosed(true);
    line.fillStyle = 6;
    StdDrawLineAreaStrategy::instance().draw(target, walk, line);
    StdDrawAppearance symbol = appearanceOf(StdDrawSymbolStrategy::instance());
    StdDrawAppearance text = appearanceOf(StdDrawTextStrategy::instance());
    text.text = "Hütte\nam See";
    for (int i = 0; i < 400; ++i) {
        const StdDrawObject p = geometryAt({target.at(rng.bounded(-60, 180), rng.bounded(-60, 180))});
        symbol.sides = i % 2 ? 4 : 0;
        symbol.length = rng.bounded(2, 30);
        StdDrawSymbolStrategy::instance().draw(target, p, symbol);
        if (i % 10 == 0)
            StdDrawTextStrategy::instance().draw(target, p, text);
    }
}

} // namespace

TEST(DrawCulling, SkippingWhatLiesOutsideKeepsThePixels) {
    for (int seed = 1; seed <= 6; ++seed) {
        // The same scene with everything outside the canvas left out, and
        // with everything handed to the canvas.
        PaintTarget culled(QSize(120, 120));
        culled.begin();
        drawScene(culled, seed);
        culled.end();
        StdDrawStrategies::setSkipOutside(false);
        PaintTarget all(QSize(120, 120));
        all.begin();
        drawScene(all, seed);
        all.end();
        StdDrawStrategies::setSkipOutside(true);
        int differing = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                differing += culled.image.pixel(x, y) != all.image.pixel(x, y);
        EXPECT_EQ(differing, 0) << "seed " << seed;
        EXPECT_GT(countNonWhite(culled.image), 1000) << "the scene reaches the window, seed " << seed;
    }
}
