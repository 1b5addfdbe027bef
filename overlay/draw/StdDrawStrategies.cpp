#include "StdDrawStrategies.h"

#include "MapEvents.h"
#include "StdDrawAppearance.h"
#include "StdDrawObject.h"
#include "SymbolIcon.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

// Window pixel coordinates of the map window (a client point).
constexpr uint32_t WindowClientPoint = 0xC001;
// Gauss-Krüger with x = northing, y = easting, the strip chosen automatically.
constexpr uint32_t GaussKruegerCode = 1;

bool toWindow(const MapEventInfo& target, const Coord& from, double& x, double& y) {
    Coord to{};
    to.type = WindowClientPoint;
    to.zone = 0;
    if (!target.Transform(from, to))
        return false;
    x = to.x;
    y = to.y;
    return true;
}

// Canvases that work with 16-bit coordinates: while the whole view lies in
// that range, everything written to the canvas is kept inside it too.
int64_t coordinateLimit(const QRect& view) {
    const int64_t edges[] = {view.left(), view.top(), int64_t(view.left()) + view.width(),
                             int64_t(view.top()) + view.height()};
    for (int64_t edge : edges) {
        if (edge < -32768 || edge > 32767)
            return INT_MAX;
    }
    return 32767;
}

int clampToLimit(double value, int64_t limit) {
    const double low = double(-limit - 1);
    const double high = double(limit);
    if (!(value >= low)) // also NaN
        return int(-limit - 1);
    if (value > high)
        return int(limit);
    return int(std::trunc(value));
}

// The part of the canvas that can receive pixels, in the canvas's logical
// coordinates. What lies wholly outside is not handed to the canvas at all;
// the pixels stay the same.
QRectF visibleArea(const QPainter& canvas) {
    const QPaintDevice* device = canvas.device();
    if (device == nullptr)
        return QRectF();
    QRectF area(0, 0, device->width(), device->height());
    bool invertible = false;
    const QTransform inverse = canvas.deviceTransform().inverted(&invertible);
    if (!invertible)
        return QRectF(-1e9, -1e9, 2e9, 2e9);
    area = inverse.mapRect(area);
    if (canvas.hasClipping())
        area &= canvas.clipBoundingRect();
    return area;
}

bool g_skipOutside = true;
bool g_symbolPictures = true;

// Whether a box (left, top, right, bottom) with a pen of that width around
// it can touch the visible area.
bool touches(const QRectF& visible, double left, double top, double right, double bottom, int penWidth) {
    if (!g_skipOutside)
        return true;
    const double margin = std::max(penWidth, 1) * 0.5 + 2.0;
    return right + margin >= visible.left() && left - margin <= visible.right() && bottom + margin >= visible.top() &&
           top - margin <= visible.bottom();
}

// Rectangle and ellipse take the corners of their bounding box with the right
// and bottom edge excluded.
QRect boxOf(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).normalized();
}

int penWidthOf(const StdDrawAppearance& appearance) {
    return appearance.lineStyle >= 5 ? 0 : std::max(appearance.lineWidth, 1);
}

int mod8(int value) {
    return value & 7;
}

// Symbols come in thousands (the waypoints of a device) and in few looks:
// each look is drawn once onto a small picture, which then goes onto the
// canvas wherever such a symbol stands, at a fraction of the cost of drawing
// its outline and hatch again. The picture is drawn as the canvas would draw
// the symbol, at the same place modulo the hatch's 8-pixel period, so the
// pixels are the same.
class SymbolStamps {
public:
    // Whether a picture shows on the canvas exactly as the drawing would,
    // and is worth keeping: large symbols are few, and their pictures would
    // take more memory than drawing them takes time.
    static bool usable(const QPainter& canvas, const StdDrawAppearance& a, const QRect& box) {
        if (!g_symbolPictures || box.width() > MaxSide || box.height() > MaxSide)
            return false;
        // Dashes of thin pens are laid out against the canvas's pixels, not
        // along the outline alone: a copied picture would shift them.
        if (a.lineStyle >= 1 && a.lineStyle <= 4)
            return false;
        const QPaintEngine* engine = canvas.paintEngine();
        if (engine == nullptr || engine->type() != QPaintEngine::Raster ||
            canvas.testRenderHint(QPainter::Antialiasing) ||
            canvas.compositionMode() != QPainter::CompositionMode_SourceOver || canvas.opacity() != 1.0)
            return false;
        const QTransform t = canvas.deviceTransform();
        if (t.type() > QTransform::TxTranslate || t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy()))
            return false;
        // The canvas cuts a symbol at its edge before it is filled, which
        // may shift the pixels next to the edge.
        const QPaintDevice* device = engine->paintDevice();
        const int m = marginOf(a);
        return device != nullptr && QRect(0, 0, device->width(), device->height())
                                        .contains(box.adjusted(-m, -m, m, m).translated(int(t.dx()), int(t.dy())));
    }

    static void draw(QPainter& canvas, const StdDrawAppearance& a, bool circle, const QRect& box) {
        const QTransform t = canvas.deviceTransform();
        const int dx = int(t.dx());
        const int dy = int(t.dy());
        const QPoint brushOrigin = canvas.brushOrigin();
        const Key key{a.lineColor,
                      a.fillColor,
                      a.backColor,
                      a.lineWidth,
                      box.width(),
                      box.height(),
                      a.lineStyle,
                      a.fillStyle,
                      a.hasBackColor,
                      circle,
                      uint8_t(mod8(box.left() + dx)),
                      uint8_t(mod8(box.top() + dy)),
                      uint8_t(mod8(brushOrigin.x())),
                      uint8_t(mod8(brushOrigin.y()))};
        auto& cache = stamps();
        auto found = cache.find(key);
        if (found == cache.end()) {
            if (cache.size() >= MaxStamps)
                cache.clear();
            found = cache.emplace(key, make(a, circle, box, dx, dy, canvas.brushOrigin())).first;
        }
        const Stamp& stamp = found->second;
        canvas.drawImage(box.topLeft() - stamp.boxAt, stamp.picture);
    }

private:
    struct Key {
        uint32_t lineColor, fillColor, backColor;
        int32_t lineWidth, width, height;
        uint8_t lineStyle, fillStyle;
        bool hasBackColor, circle;
        uint8_t phaseX, phaseY, originX, originY;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            size_t h = 0;
            for (const uint64_t v :
                 {uint64_t(k.lineColor) << 32 | k.fillColor, uint64_t(k.backColor) << 32 | uint32_t(k.lineWidth),
                  uint64_t(uint32_t(k.width)) << 32 | uint32_t(k.height),
                  uint64_t(k.lineStyle) << 40 | uint64_t(k.fillStyle) << 32 | uint64_t(k.hasBackColor) << 24 |
                      uint64_t(k.circle) << 16 | uint64_t(k.phaseX) << 12 | uint64_t(k.phaseY) << 8 |
                      uint64_t(k.originX) << 4 | k.originY})
                h = (h ^ std::hash<uint64_t>()(v)) * 0x100000001B3ull;
            return h;
        }
    };
    struct Stamp {
        QImage picture;
        QPoint boxAt; // where the symbol's box starts in the picture
    };
    static constexpr size_t MaxStamps = 256;
    // Room around the box for the pen, which is centred on the outline.
    static int marginOf(const StdDrawAppearance& a) { return std::max(a.lineWidth, 1) + 2; }
    static constexpr int MaxSide = 64;

    static std::unordered_map<Key, Stamp, KeyHash>& stamps() {
        static std::unordered_map<Key, Stamp, KeyHash> cache;
        return cache;
    }

    // The picture's device origin lies at the same place modulo 8 as the
    // canvas's, so a hatch anchored either way falls on the same pixels.
    static Stamp make(const StdDrawAppearance& a, bool circle, const QRect& box, int dx, int dy,
                      const QPoint& brushOrigin) {
        const int margin = marginOf(a);
        const int sx = margin - box.left() + mod8(dx - (margin - box.left()));
        const int sy = margin - box.top() + mod8(dy - (margin - box.top()));
        Stamp stamp;
        stamp.boxAt = QPoint(box.left() + sx, box.top() + sy);
        stamp.picture = QImage(box.width() + stamp.boxAt.x() + margin, box.height() + stamp.boxAt.y() + margin,
                               QImage::Format_ARGB32_Premultiplied);
        stamp.picture.fill(Qt::transparent);
        QPainter painter(&stamp.picture);
        painter.translate(sx, sy);
        painter.setBrushOrigin(brushOrigin);
        a.applyPen(painter);
        a.applyBrush(painter);
        if (circle)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
        return stamp;
    }
};

} // namespace

// --- symbol ---

const StdDrawSymbolStrategy& StdDrawSymbolStrategy::instance() {
    static const StdDrawSymbolStrategy strategy;
    return strategy;
}

QString StdDrawSymbolStrategy::elementName() const {
    return QStringLiteral("Symbol");
}

QString StdDrawSymbolStrategy::kindLabel(const StdDrawObject&) const {
    return QStringLiteral("Form");
}

void StdDrawSymbolStrategy::draw(MapEventInfo& target, const StdDrawObject& geometry,
                                 const StdDrawAppearance& appearance) const {
    if (target.canvas == nullptr || geometry.points.size() != 1)
        return;
    QPainter& canvas = *target.canvas;
    const Coord& point = geometry.points.front();
    double x = 0;
    double y = 0;
    if (!toWindow(target, point, x, y))
        return;
    double s = 0;
    if (!appearance.lengthInMetres) {
        s = appearance.length * target.PixelScale();
    } else {
        // The length on the ground, measured northwards from the point.
        Coord ground{};
        ground.type = GaussKruegerCode;
        ground.zone = 0;
        target.Transform(point, ground);
        ground.x += appearance.length;
        double sx = 0;
        double sy = 0;
        if (!toWindow(target, ground, sx, sy))
            return;
        s = std::hypot(sx - x, sy - y);
    }
    const int64_t limit = coordinateLimit(target.ViewRect());
    const QRectF visible = visibleArea(canvas);
    const int penWidth = penWidthOf(appearance);
    if (appearance.sides == 0) {
        const double edges[] = {x - s, y - s, x + s + 1, y + s + 1};
        for (double edge : edges) {
            if (!(std::fabs(edge) < double(limit)))
                return;
        }
        const int left = int(std::trunc(edges[0]));
        const int top = int(std::trunc(edges[1]));
        const int right = int(std::trunc(edges[2]));
        const int bottom = int(std::trunc(edges[3]));
        if (!touches(visible, left, top, right, bottom, penWidth))
            return;
        if (const QRect box = boxOf(left, top, right, bottom); SymbolStamps::usable(canvas, appearance, box)) {
            SymbolStamps::draw(canvas, appearance, true, box);
            return;
        }
        appearance.applyPen(canvas);
        appearance.applyBrush(canvas);
        canvas.drawEllipse(boxOf(left, top, right, bottom));
    } else {
        const double h = double(float(s * 0.5));
        const int left = clampToLimit(x - h, limit);
        const int top = clampToLimit(y - h, limit);
        const int right = clampToLimit(x + h + 1, limit);
        const int bottom = clampToLimit(y + h + 1, limit);
        if (!touches(visible, left, top, right, bottom, penWidth))
            return;
        if (const QRect box = boxOf(left, top, right, bottom); SymbolStamps::usable(canvas, appearance, box)) {
            SymbolStamps::draw(canvas, appearance, false, box);
            return;
        }
        appearance.applyPen(canvas);
        appearance.applyBrush(canvas);
        canvas.drawRect(boxOf(left, top, right, bottom));
    }
}

// --- picture symbol ---

const StdDrawBitmapIconStrategy& StdDrawBitmapIconStrategy::instance() {
    static const StdDrawBitmapIconStrategy strategy;
    return strategy;
}

QString StdDrawBitmapIconStrategy::elementName() const {
    return QStringLiteral("BitmapIcon");
}

QString StdDrawBitmapIconStrategy::kindLabel(const StdDrawObject&) const {
    return QStringLiteral("Symbol");
}

void StdDrawBitmapIconStrategy::draw(MapEventInfo& target, const StdDrawObject& geometry,
                                     const StdDrawAppearance& appearance) const {
    if (target.canvas == nullptr || appearance.icon == nullptr || geometry.points.size() != 1)
        return;
    const QImage* picture = appearance.icon->picture();
    if (picture == nullptr || picture->isNull())
        return;
    double x = 0;
    double y = 0;
    if (!toWindow(target, geometry.points.front(), x, y))
        return;
    const double scale = target.PixelScale();
    const int w = int(picture->width() * scale);
    const int h = int(picture->height() * scale);
    const int left = int(x - w / 2);
    const int top = int(y - h / 2);
    if (!touches(visibleArea(*target.canvas), left, top, left + w, top + h, 0))
        return;
    target.canvas->drawImage(QRect(left, top, w, h), *picture);
}

// --- line and area ---

const StdDrawLineAreaStrategy& StdDrawLineAreaStrategy::instance() {
    static const StdDrawLineAreaStrategy strategy;
    return strategy;
}

QString StdDrawLineAreaStrategy::elementName() const {
    return QStringLiteral("LineArea");
}

QString StdDrawLineAreaStrategy::kindLabel(const StdDrawObject& geometry) const {
    return geometry.closed() ? QStringLiteral("Fläche") : QStringLiteral("Linie");
}

StdDrawAppearance& StdDrawLineAreaStrategy::defaultAppearance() const {
    return DefaultAppearances::record(1);
}

namespace {

// A run of window points collected for one polyline, with its bounding box.
// Repeated points add nothing to a line and are dropped, except that a run
// of one repeated point keeps two, as it was given.
class Run {
public:
    explicit Run(size_t capacity) { m_points.reserve(capacity); }

    void append(int x, int y) {
        const QPoint p(x, y);
        if (g_skipOutside && !m_points.empty() && m_points.back() == p) {
            m_repeated = true;
            return;
        }
        if (m_points.empty()) {
            m_min = m_max = p;
        } else {
            m_min.setX(std::min(m_min.x(), x));
            m_min.setY(std::min(m_min.y(), y));
            m_max.setX(std::max(m_max.x(), x));
            m_max.setY(std::max(m_max.y(), y));
        }
        m_points.push_back(p);
    }
    bool touches(const QRectF& visible, int penWidth) const {
        return ::touches(visible, m_min.x(), m_min.y(), m_max.x(), m_max.y(), penWidth);
    }
    // A polyline; a single point as a line one pixel long.
    void drawPolyline(QPainter& canvas, const QRectF& visible, int penWidth) {
        if (m_points.size() == 1 && !m_repeated) {
            const QPoint p = m_points.front();
            m_points.push_back(QPoint(p.x() + 1, p.y()));
            m_max.setX(m_max.x() + 1);
        } else if (m_points.size() == 1) {
            m_points.push_back(m_points.front());
        }
        if (!m_points.empty() && touches(visible, penWidth)) {
            if (g_skipOutside && canvas.pen().style() == Qt::SolidLine && m_points.size() > 2)
                drawVisibleParts(canvas, visible, penWidth);
            else
                canvas.drawPolyline(m_points.data(), int(m_points.size()));
        }
        clear();
    }
    void drawPolygon(QPainter& canvas, const QRectF& visible, int penWidth) {
        if (m_points.size() == 1)
            m_points.push_back(m_points.front());
        if (!m_points.empty() && touches(visible, penWidth))
            canvas.drawPolygon(m_points.data(), int(m_points.size()));
        clear();
    }
    void clear() {
        m_points.clear();
        m_repeated = false;
    }

private:
    // A long line of which the window shows a little (a track seen close up):
    // only the stretches of segments that can reach the visible area are
    // drawn. A segment that cannot reach it has both ends outside by more
    // than half the pen width, so the ends and joins left out there would
    // not have touched the visible area either. Without dashes the pieces
    // look exactly like the whole line.
    void drawVisibleParts(QPainter& canvas, const QRectF& visible, int penWidth) {
        const size_t n = m_points.size();
        size_t start = 0; // first point of the current piece
        bool open = false;
        for (size_t i = 0; i + 1 < n; ++i) {
            const QPoint& a = m_points[i];
            const QPoint& b = m_points[i + 1];
            const bool inside = ::touches(visible, std::min(a.x(), b.x()), std::min(a.y(), b.y()),
                                          std::max(a.x(), b.x()), std::max(a.y(), b.y()), penWidth);
            if (inside && !open) {
                start = i;
                open = true;
            } else if (!inside && open) {
                canvas.drawPolyline(m_points.data() + start, int(i + 1 - start));
                open = false;
            }
        }
        if (open)
            canvas.drawPolyline(m_points.data() + start, int(n - start));
    }

    std::vector<QPoint> m_points;
    QPoint m_min;
    QPoint m_max;
    bool m_repeated = false;
};

} // namespace

void StdDrawLineAreaStrategy::draw(MapEventInfo& target, const StdDrawObject& geometry,
                                   const StdDrawAppearance& appearance) const {
    if (target.canvas == nullptr)
        return;
    QPainter& canvas = *target.canvas;
    appearance.applyPen(canvas);
    const int64_t limit = coordinateLimit(target.ViewRect());
    const QRectF visible = visibleArea(canvas);
    const int penWidth = penWidthOf(appearance);
    bool closed = geometry.closed();
    Run run(geometry.points.size());
    for (const Coord& vertex : geometry.points) {
        double x = 0;
        double y = 0;
        if (!toWindow(target, vertex, x, y)) {
            // A gap in the line: what came before is drawn on its own, and
            // an area with a gap has no inside.
            closed = false;
            run.drawPolyline(canvas, visible, penWidth);
            continue;
        }
        run.append(clampToLimit(x, limit), clampToLimit(y, limit));
    }
    if (closed) {
        appearance.applyBrush(canvas);
        run.drawPolygon(canvas, visible, penWidth);
    } else {
        run.drawPolyline(canvas, visible, penWidth);
    }
}

// --- text ---

const StdDrawTextStrategy& StdDrawTextStrategy::instance() {
    static const StdDrawTextStrategy strategy;
    return strategy;
}

QString StdDrawTextStrategy::elementName() const {
    return QStringLiteral("Text");
}

QString StdDrawTextStrategy::kindLabel(const StdDrawObject&) const {
    return QStringLiteral("Text");
}

StdDrawAppearance& StdDrawTextStrategy::defaultAppearance() const {
    return DefaultAppearances::record(2);
}

void StdDrawTextStrategy::draw(MapEventInfo& target, const StdDrawObject& geometry,
                               const StdDrawAppearance& appearance) const {
    if (target.canvas == nullptr || geometry.points.size() != 1 || appearance.text.isEmpty())
        return;
    QPainter& canvas = *target.canvas;
    double x = 0;
    double y = 0;
    if (!toWindow(target, geometry.points.front(), x, y))
        return;
    const QStringList lines = StdDrawStrategies::textLines(appearance.text);
    const QFontMetrics metrics(canvas.font(), canvas.device());
    std::vector<int> heights;
    heights.reserve(size_t(lines.size()));
    int width = 0;
    int height = 0;
    for (const QString& line : lines) {
        // An empty line keeps the height of a line.
        const QString measured = line.isEmpty() ? QStringLiteral("i") : line;
        width = std::max(width, metrics.horizontalAdvance(measured));
        heights.push_back(metrics.height());
        height += heights.back();
    }
    appearance.applyPen(canvas);
    appearance.applyBrush(canvas);
    const int left = int(x) - width / 2;
    int bottom = int(y) + height / 2;
    const int lineWidth = appearance.lineWidth;
    const int boxLeft = left - lineWidth;
    const int boxTop = bottom - height - lineWidth;
    const int boxRight = left + width + lineWidth;
    const int boxBottom = bottom + lineWidth;
    if (!touches(visibleArea(canvas), boxLeft, boxTop, boxRight, boxBottom, penWidthOf(appearance)))
        return;
    canvas.drawRect(boxOf(boxLeft, boxTop, boxRight, boxBottom));
    // The letters in the canvas's default font colour, on the box.
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setPen(QPen(Qt::black));
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        bottom -= heights[size_t(i)];
        canvas.drawText(QPoint(left, bottom + metrics.ascent()), lines[i]);
    }
}

// --- the table ---

namespace StdDrawStrategies {

const StdDrawStrategy* const* all() {
    static const StdDrawStrategy* const list[Count] = {
        &StdDrawSymbolStrategy::instance(), &StdDrawBitmapIconStrategy::instance(),
        &StdDrawLineAreaStrategy::instance(), &StdDrawTextStrategy::instance()};
    return list;
}

void setSkipOutside(bool skip) {
    g_skipOutside = skip;
}

bool skipOutside() {
    return g_skipOutside;
}

void setSymbolPictures(bool pictures) {
    g_symbolPictures = pictures;
}

void bindDefaultAppearances() {
    DefaultAppearances::record(0).strategy = &StdDrawSymbolStrategy::instance();
    DefaultAppearances::record(1).strategy = &StdDrawLineAreaStrategy::instance();
    DefaultAppearances::record(2).strategy = &StdDrawTextStrategy::instance();
}

QStringList textLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        QString& line = lines[i];
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

} // namespace StdDrawStrategies
