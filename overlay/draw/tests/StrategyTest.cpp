#include "PaintTarget.h"
#include "StdDrawStrategies.h"
#include "SymbolIcon.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const auto& Symbol = StdDrawSymbolStrategy::instance();
const auto& Icon = StdDrawBitmapIconStrategy::instance();
const auto& Line = StdDrawLineAreaStrategy::instance();
const auto& Text = StdDrawTextStrategy::instance();
const Coord Gap{PaintTarget::Unconvertible};

StdDrawAppearance appearanceOf(const StdDrawStrategy& strategy) {
    StdDrawAppearance a = strategy.defaultAppearance();
    a.strategy = &strategy;
    return a;
}

StdDrawObject geometryAt(std::initializer_list<Coord> points, bool closed = false) {
    StdDrawObject g;
    g.points = points;
    g.setClosed(closed);
    return g;
}

QImage paint(PaintTarget& target, const StdDrawStrategy& strategy, const StdDrawObject& geometry,
             const StdDrawAppearance& appearance) {
    target.image.fill(Qt::white);
    target.begin();
    strategy.draw(target, geometry, appearance);
    return target.end();
}

int countNonWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != White;
    return n;
}

// The smallest rectangle that holds every pixel of that colour.
QRect inked(const QImage& image, QRgb colour = Black) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            r |= image.pixel(x, y) == colour ? QRect(x, y, 1, 1) : QRect();
    return r;
}

} // namespace

TEST(DrawStrategies, KindsAndThePenAndBrushStyles) {
    const std::tuple<const StdDrawStrategy*, const char*, const char*, int> kinds[] = {
        {&Symbol, "Symbol", "Form", 0},
        {&Icon, "BitmapIcon", "Symbol", 0},
        {&Line, "LineArea", "Linie", 1},
        {&Text, "Text", "Text", 2}};
    StdDrawStrategies::bindDefaultAppearances();
    for (int i = 0; i < StdDrawStrategies::Count; ++i) {
        const auto [strategy, element, label, record] = kinds[i];
        EXPECT_EQ(StdDrawStrategies::all()[i], strategy) << element;
        EXPECT_EQ(strategy->elementName(), QString(element));
        EXPECT_EQ(strategy->kindLabel(StdDrawObject()), QString(label)) << element;
        EXPECT_EQ(&strategy->defaultAppearance(), &DefaultAppearances::record(record)) << element;
    }
    EXPECT_EQ(DefaultAppearances::record(1).strategy, &Line);
    EXPECT_EQ(DefaultAppearances::record(2).strategy, &Text);

    QImage image(10, 10, QImage::Format_RGB32);
    QPainter canvas(&image);
    canvas.setBackgroundMode(Qt::OpaqueMode);
    StdDrawAppearance a;
    const Qt::PenStyle pens[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                 Qt::DashDotDotLine, Qt::NoPen,    Qt::NoPen,   Qt::NoPen};
    const Qt::BrushStyle brushes[] = {Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
                                      Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    for (int s = 0; s < 8; ++s) {
        a.lineStyle = a.fillStyle = uint8_t(s);
        a.applyPen(canvas);
        a.applyBrush(canvas);
        EXPECT_EQ(std::tuple(canvas.pen().style(), canvas.brush().style(), canvas.backgroundMode()),
                  std::tuple(pens[s], brushes[s], Qt::TransparentMode))
            << "style " << s;
    }
    // A dashed pen of width 3 keeps its dashes, with round ends; of width 1 it is the ordinary one-pixel pen.
    a.lineStyle = 1;
    a.lineColor = 0x0080FF; // blue, green, red
    a.applyPen(canvas);
    EXPECT_EQ(std::tuple(canvas.pen().style(), canvas.pen().width(), canvas.pen().capStyle(), canvas.pen().color()),
              std::tuple(Qt::DashLine, 3, Qt::RoundCap, QColor(255, 128, 0)));
    a.lineWidth = 1;
    a.applyPen(canvas);
    EXPECT_EQ(std::tuple(canvas.pen().style(), canvas.pen().width(), canvas.pen().capStyle()),
              std::tuple(Qt::DashLine, 1, Qt::FlatCap));
}

TEST(DrawStrategies, NothingToDraw) {
    PaintTarget target(QSize(100, 100));
    StdDrawAppearance symbol = appearanceOf(Symbol), text = appearanceOf(Text), empty = text;
    StdDrawAppearance line = appearanceOf(Line), picture = appearanceOf(Icon);
    text.text = "A";
    const StdDrawObject none, one = geometryAt({target.at(50, 50)}), lost = geometryAt({Gap});
    const StdDrawObject two = geometryAt({target.at(50, 50), target.at(60, 60)});
    EXPECT_GT(countNonWhite(paint(target, Text, one, text)), 0) << "the text drawn";
    // Points: exactly one that can be converted; a text with something in it; a picture.
    const std::tuple<const StdDrawStrategy*, const StdDrawAppearance*, const StdDrawObject*, const char*> cases[] = {
        {&Symbol, &symbol, &none, "symbol, 0 points"}, {&Symbol, &symbol, &two, "symbol, 2 points"},
        {&Symbol, &symbol, &lost, "symbol, lost"},     {&Text, &text, &none, "text, 0 points"},
        {&Text, &text, &two, "text, 2 points"},        {&Text, &empty, &one, "empty text"},
        {&Line, &line, &none, "line, 0 points"},       {&Line, &line, &lost, "line, lost"},
        {&Icon, &picture, &one, "no picture"}};
    for (auto [strategy, appearance, geometry, legend] : cases)
        EXPECT_EQ(countNonWhite(paint(target, *strategy, *geometry, *appearance)), 0) << legend;
}

TEST(DrawLines, DashesHatchesGapsAndClamping) {
    PaintTarget target(QSize(100, 100));
    StdDrawAppearance a = appearanceOf(Line);
    std::tie(a.lineColor, a.lineStyle, a.fillStyle, a.fillColor) = std::tuple(0x000000, 1, 2, 0x000000);
    // A dashed line of width 3 has gaps along its whole length; a solid one none.
    const StdDrawObject across = geometryAt({target.at(5, 50), target.at(95, 50)});
    QImage dashed = paint(target, Line, across, a);
    a.lineStyle = 0;
    QImage solid = paint(target, Line, across, a);
    int gaps = 0;
    for (int x = 10; x < 90; ++x) {
        gaps += dashed.pixel(x, 50) == White;
        ASSERT_NE(solid.pixel(x, 50), White) << x;
    }
    EXPECT_GT(gaps, 10) << "stays dashed";

    // Horizontally hatched: the gaps show the map, or the background colour when asked.
    a.lineStyle = 5;
    const StdDrawObject square =
        geometryAt({target.at(5, 5), target.at(95, 5), target.at(95, 95), target.at(5, 95)}, true);
    QImage hatched = paint(target, Line, square, a);
    std::tie(a.hasBackColor, a.backColor) = std::tuple(true, 0x0000FF);
    QImage backed = paint(target, Line, square, a);
    int white = 0, black = 0;
    for (int y = 10; y < 90; ++y) {
        white += hatched.pixel(50, y) == White;
        black += hatched.pixel(50, y) == Black;
        EXPECT_TRUE(backed.pixel(50, y) == Black || backed.pixel(50, y) == Red) << "row " << y;
    }
    EXPECT_GT(white, 40);
    EXPECT_GT(black, 6);
    EXPECT_EQ(backed.pixel(2, 2), White) << "outside the area";

    // A position that cannot be converted splits the line; a closed area with one is drawn unfilled.
    a = appearanceOf(Line);
    std::tie(a.lineWidth, a.lineColor, a.fillStyle, a.fillColor) = std::tuple(1, 0x000000, 0, 0x0000FF);
    QImage two = paint(
        target, Line, geometryAt({target.at(10, 50), target.at(40, 50), Gap, target.at(60, 50), target.at(90, 50)}), a);
    EXPECT_TRUE(two.pixel(20, 50) != White && two.pixel(80, 50) != White);
    EXPECT_EQ(two.pixel(50, 50), White) << "two separate polylines";
    QImage open =
        paint(target, Line,
              geometryAt({target.at(10, 10), target.at(90, 10), Gap, target.at(90, 90), target.at(10, 90)}, true), a);
    EXPECT_EQ(open.pixel(50, 50), White) << "unfilled";
    EXPECT_NE(open.pixel(50, 90), White);
    EXPECT_EQ(paint(target, Line, square, a).pixel(50, 50), Red) << "without a gap the area is filled";

    // One point is a dot; points far beyond the 16-bit range are clamped, so the line still crosses the window.
    QImage dot = paint(target, Line, geometryAt({target.at(30, 30)}), a);
    EXPECT_TRUE(dot.pixel(30, 30) != White && countNonWhite(dot) <= 2);
    QImage far = paint(target, Line, geometryAt({target.at(-100000, 50), target.at(100000, 50)}), a);
    for (int x = 0; x < 100; x += 7)
        EXPECT_NE(far.pixel(x, 50), White) << x;
}

TEST(DrawSymbols, SizesLimitsAndScale) {
    PaintTarget target(QSize(100, 100));
    StdDrawAppearance a = appearanceOf(Symbol);
    std::tie(a.lineStyle, a.fillStyle, a.fillColor) = std::tuple(5, 0, 0x000000);
    const StdDrawObject centre = geometryAt({target.at(50, 50)});
    auto inkedBy = [&](const StdDrawStrategy& strategy, const StdDrawAppearance& appearance) {
        return inked(paint(target, strategy, centre, appearance));
    };
    EXPECT_EQ(inkedBy(Symbol, a), QRect(QPoint(45, 45), QPoint(55, 55))) << "a square of side 10";

    // Far beyond the 16-bit range on a small view: the circle is skipped, the square clamped and drawn.
    a.length = 70000;
    EXPECT_EQ(countNonWhite(paint(target, Symbol, centre, a)), 100 * 100) << "square clamped";
    a.sides = 0;
    EXPECT_EQ(countNonWhite(paint(target, Symbol, centre, a)), 0) << "circle skipped";
    PaintTarget wide(QSize(100, 100), QRect(-40000, 0, 100, 100));
    EXPECT_GT(countNonWhite(paint(wide, Symbol, centre, a)), 0) << "drawn once the view leaves the 16-bit range";

    // A circle of radius 10 metres on a map of 2 metres per pixel.
    std::tie(a.length, a.lengthInMetres) = std::tuple(10, true);
    EXPECT_NEAR(inkedBy(Symbol, a).width(), 11, 1) << "radius 5 pixels";

    // 600 dpi: s = 10 x 6 = 60; the pen keeps its width in device pixels; a picture at six times its size.
    std::tie(a.sides, a.lengthInMetres) = std::tuple(4, false);
    target.image.setDotsPerMeterX(int(600 / 0.0254));
    target.image.setDotsPerMeterY(int(600 / 0.0254));
    EXPECT_EQ(inkedBy(Symbol, a), QRect(QPoint(20, 20), QPoint(80, 80)));
    target.begin();
    EXPECT_DOUBLE_EQ(target.PixelScale(), 6.0);
    a.lineStyle = 0;
    a.applyPen(*target.canvas);
    EXPECT_EQ(target.canvas->pen().width(), 3);
    target.end();
    QImage picture(8, 4, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    SymbolIcon::DefaultSI icon("klein.bmp", std::make_unique<QImage>(picture));
    StdDrawAppearance pic = appearanceOf(Icon);
    pic.icon = &icon;
    EXPECT_EQ(inkedBy(Icon, pic), QRect(50 - 24, 50 - 12, 48, 24));
}

TEST(DrawTexts, LinesBoxAndEmptyLines) {
    EXPECT_EQ(StdDrawStrategies::textLines("A\r\n\r\r\nB"), QStringList({"A", "", "B"}));
    EXPECT_EQ(StdDrawStrategies::textLines("A\n"), QStringList({"A", ""}));
    EXPECT_EQ(StdDrawStrategies::textLines("A\rB\r"), QStringList({"A\rB\r"})) << "the last line is kept as it is";

    PaintTarget target(QSize(200, 200));
    StdDrawAppearance a = appearanceOf(Text);
    a.text = "A\n\nB";
    QImage three = paint(target, Text, geometryAt({target.at(100, 100)}), a);
    const int h = QFontMetrics(QPainter(&target.image).font(), &target.image).height();
    const QRect frame = inked(three, qRgb(255, 0, 255));
    // Box height H + 2 x line width, the magenta pen of width 3 centred on its edges.
    EXPECT_NEAR(frame.height(), 3 * h + 2 * 3 + 2, 2) << "three lines, the empty one as high as 'i'";
    EXPECT_NEAR(frame.center().y(), 100, 2) << "centred on the point";
    // "A" in the top line, "B" in the bottom one, the middle one empty, on a solid white box.
    auto inkIn = [&](int line) { return !inked(three.copy(90, frame.top() + 5 + line * h + 1, 20, h - 2)).isNull(); };
    EXPECT_EQ(std::tuple(inkIn(0), inkIn(1), inkIn(2)), std::tuple(true, false, true));
    EXPECT_EQ(three.pixel(100, 100 - h / 2 + 2), White);
}

TEST(DrawCulling, SkippingWhatLiesOutsideKeepsThePixels) {
    // Random walks that leave the canvas many times, and symbols and texts in and around it.
    auto drawScene = [](PaintTarget& target, int seed) {
        QRandomGenerator rng{uint32_t(seed)};
        StdDrawObject walk;
        double x = 60, y = 60;
        const double step = seed % 2 ? 1.5 : 6.0; // odd seeds step below a pixel, so that many vertices repeat
        for (int i = 0; i < 4000; ++i) {
            x += rng.bounded(2 * step + 0.5) - step;
            y += rng.bounded(2 * step + 0.5) - step;
            walk.points.push_back(target.at(std::floor(x), std::floor(y)));
        }
        StdDrawAppearance line = appearanceOf(Line);
        line.lineWidth = rng.bounded(1, 6);
        line.lineStyle = uint8_t(rng.bounded(0, 2));
        Line.draw(target, walk, line);
        walk.setClosed(true);
        line.fillStyle = 6;
        Line.draw(target, walk, line);
        StdDrawAppearance symbol = appearanceOf(Symbol), text = appearanceOf(Text);
        text.text = "Hütte\nam See";
        for (int i = 0; i < 400; ++i) {
            const StdDrawObject p = geometryAt({target.at(rng.bounded(-60, 180), rng.bounded(-60, 180))});
            std::tie(symbol.sides, symbol.length) = std::tuple(i % 2 ? 4 : 0, rng.bounded(2, 30));
            Symbol.draw(target, p, symbol);
            if (i % 10 == 0)
                Text.draw(target, p, text);
        }
    };
    for (int seed = 1; seed <= 6; ++seed) {
        PaintTarget culled(QSize(120, 120)), all(QSize(120, 120));
        culled.begin();
        drawScene(culled, seed);
        culled.end();
        StdDrawStrategies::setSkipOutside(false);
        all.begin();
        drawScene(all, seed);
        all.end();
        StdDrawStrategies::setSkipOutside(true);
        EXPECT_TRUE(culled.image == all.image) << "seed " << seed;
        EXPECT_GT(countNonWhite(culled.image), 1000) << "the scene reaches the window, seed " << seed;
    }
}

// Symbols go onto the canvas as pictures drawn once per look; the pixels
// must be those of drawing each symbol, wherever it stands against the
// 8-pixel hatch, on a moved canvas and with another brush origin too.
TEST(DrawSymbols, PicturesOfALookMatchTheDrawing) {
    QRandomGenerator random(20261208);
    for (int round = 0; round < 3; ++round) {
        const auto paintAll = [&](bool pictures, quint32 seed) {
            StdDrawStrategies::setSymbolPictures(pictures);
            QRandomGenerator generator(seed);
            PaintTarget target(QSize(160, 120));
            QPainter painter(&target.image);
            if (round > 0) {
                painter.translate(3, -5);
                painter.setBrushOrigin(round, 2 * round);
            }
            target.canvas = &painter;
            for (int i = 0; i < 60; ++i) {
                StdDrawAppearance a = appearanceOf(Symbol);
                a.sides = int(generator.bounded(2)) * 4;
                a.length = 4 + generator.bounded(14);
                a.lineWidth = 1 + int(generator.bounded(3));
                a.lineStyle = uint8_t(generator.bounded(7));
                a.fillStyle = uint8_t(generator.bounded(8));
                a.hasBackColor = generator.bounded(3) == 0;
                a.lineColor = generator.generate() & 0xFFFFFF;
                a.fillColor = generator.generate() & 0xFFFFFF;
                Symbol.draw(target, geometryAt({target.at(generator.bounded(150), generator.bounded(110))}), a);
            }
            target.canvas = nullptr;
            painter.end();
            StdDrawStrategies::setSymbolPictures(true);
            return target.image;
        };
        const quint32 seed = random.generate();
        const QImage copied = paintAll(true, seed);
        EXPECT_EQ(copied, paintAll(false, seed)) << "round " << round;
        EXPECT_GT(countNonWhite(copied), 2000);
    }
}
