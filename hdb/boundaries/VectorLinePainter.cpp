#include "VectorLinePainter.h"

#include "DrawCoordTransformer.h"
#include "EscapeThread.h"
#include "HDBFile.h"
#include "HDBRecords.h"
#include "MapWindowModule.h"
#include "RowField.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t GaussKrueger = 1;
constexpr uint32_t WindowClientPoint = 0xC001;
// Window points further out than this are not drawn: the line would be far
// outside any window, and the drawing surface's coordinates must not overflow.
constexpr double PixelLimit = 32000.0;

// The hourglass for as long as a paint reads and draws.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool readDouble(const RowField* field, const HDBRecords& cursor, double& out) {
    return field != nullptr && field->getDouble(cursor, out) == RowField::Ok;
}

} // namespace

VectorLinePainter::VectorLinePainter(const QString& basePath, int fileCount, std::vector<QPen> pens, double margin,
                                     const std::string& codeword)
    : m_margin(margin) {
    for (int level = 1; level <= fileCount; ++level) {
        const QString path = basePath + QString::number(level) + QStringLiteral(".HDB");
        Level entry;
        // A missing or damaged file opens as an empty one: its level draws nothing.
        entry.cursor = std::make_unique<HDBRecords>(HDBFile::open(QFile::encodeName(path).toStdString(), codeword));
        const HDBFile& file = *entry.cursor->file();
        entry.minH = file.fieldByName("MIN_H");
        entry.maxH = file.fieldByName("MAX_H");
        entry.minR = file.fieldByName("MIN_R");
        entry.maxR = file.fieldByName("MAX_R");
        entry.richtung = file.fieldByName("RICHTUNG");
        if (size_t(level - 1) < pens.size())
            entry.pen = pens[size_t(level - 1)];
        m_levels.push_back(std::move(entry));
    }
    m_stats.resize(m_levels.size());
}

VectorLinePainter::~VectorLinePainter() = default;

bool VectorLinePainter::SetLevelCount(int count) {
    count = std::clamp(count, 0, FileCount());
    if (count == m_levelCount)
        return false;
    m_levelCount = count;
    return true;
}

std::optional<VectorLinePainter::Band> VectorLinePainter::VisibleBand(const MapEventInfo& info) {
    const QRect view = info.ViewRect();
    if (view.isEmpty())
        return std::nullopt;
    const QPoint corners[4] = {view.topLeft(), view.topRight() + QPoint(1, 0), view.bottomRight() + QPoint(1, 1),
                               view.bottomLeft() + QPoint(0, 1)};
    std::optional<Band> band;
    for (uint32_t strip : {2u, 3u}) {
        Box box;
        bool converted = true;
        for (int i = 0; i < 4 && converted; ++i) {
            Coord from{};
            from.type = WindowClientPoint;
            from.x = corners[i].x();
            from.y = corners[i].y();
            Coord to{};
            to.type = GaussKrueger;
            to.zone = strip;
            converted = info.Transform(from, to);
            if (!converted)
                break;
            if (i == 0) {
                box = {to.x, to.x, to.y, to.y};
            } else {
                box.minN = std::min(box.minN, to.x);
                box.maxN = std::max(box.maxN, to.x);
                box.minE = std::min(box.minE, to.y);
                box.maxE = std::max(box.maxE, to.y);
            }
        }
        if (!converted)
            continue;
        if (band) {
            band->lower = std::min(band->lower, box.minN);
            band->upper = std::max(band->upper, box.maxN);
        } else {
            band = Band{box.minN, box.maxN, {}};
        }
        band->strip[strip - 2] = box;
    }
    return band;
}

VectorLinePainter::Segment VectorLinePainter::SegmentOf(double minH, double maxH, double minR, double maxR,
                                                        unsigned richtung) {
    if (richtung == 0)
        return {QPointF(minH, minR), QPointF(maxH, maxR)};
    return {QPointF(maxH, minR), QPointF(minH, maxR)};
}

// Converts the positions of one strip into window points. Over the part of
// the strip around the view the conversion is smooth: it is sampled exactly
// on a grid of nodes, and positions inside the grid are interpolated
// bilinearly between the four nodes around them, provided that the
// interpolation meets the exact conversion in the middle of every cell to a
// small fraction of a pixel. Everything else is converted exactly.
class VectorLinePainter::StripProjector {
public:
    static constexpr int Cells = 6;

    StripProjector(const DrawCoordTransformer::BaseDCT& transformer, uint32_t strip, const std::optional<Box>& visible,
                   double margin)
        : m_transformer(transformer), m_strip(strip) {
        if (!visible)
            return;
        m_box = *visible;
        m_box.minN -= margin;
        m_box.maxN += margin;
        m_box.minE -= margin;
        m_box.maxE += margin;
        m_cellN = (m_box.maxN - m_box.minN) / Cells;
        m_cellE = (m_box.maxE - m_box.minE) / Cells;
        if (!(m_cellN > 0) || !(m_cellE > 0))
            return;
        for (int i = 0; i <= Cells; ++i) {
            for (int j = 0; j <= Cells; ++j) {
                if (!exact(m_box.minN + i * m_cellN, m_box.minE + j * m_cellE, m_nodes[i][j]))
                    return;
            }
        }
        for (int i = 0; i < Cells; ++i) {
            for (int j = 0; j < Cells; ++j) {
                const double n = m_box.minN + (i + 0.5) * m_cellN, e = m_box.minE + (j + 0.5) * m_cellE;
                QPointF precise;
                if (!exact(n, e, precise))
                    return;
                const QPointF guess = interpolate(n, e);
                if (std::abs(guess.x() - precise.x()) > 0.1 || std::abs(guess.y() - precise.y()) > 0.1)
                    return;
            }
        }
        m_grid = true;
    }

    bool project(double northing, double easting, QPointF& out) const {
        if (m_grid && northing >= m_box.minN && northing <= m_box.maxN && easting >= m_box.minE &&
            easting <= m_box.maxE) {
            out = interpolate(northing, easting);
            return true;
        }
        return exact(northing, easting, out);
    }

private:
    QPointF interpolate(double northing, double easting) const {
        const double fn = (northing - m_box.minN) / m_cellN, fe = (easting - m_box.minE) / m_cellE;
        const int i = std::clamp(int(fn), 0, Cells - 1), j = std::clamp(int(fe), 0, Cells - 1);
        const double u = fn - i, v = fe - j;
        const QPointF a = m_nodes[i][j] + (m_nodes[i][j + 1] - m_nodes[i][j]) * v;
        const QPointF b = m_nodes[i + 1][j] + (m_nodes[i + 1][j + 1] - m_nodes[i + 1][j]) * v;
        return a + (b - a) * u;
    }
    bool exact(double northing, double easting, QPointF& out) const {
        Coord from{};
        from.type = GaussKrueger;
        from.zone = m_strip;
        from.x = northing;
        from.y = easting;
        Coord to{};
        to.type = WindowClientPoint;
        if (!m_transformer.Transform(from, to))
            return false;
        out = QPointF(to.x, to.y);
        return true;
    }

    const DrawCoordTransformer::BaseDCT& m_transformer;
    uint32_t m_strip;
    Box m_box;
    double m_cellN = 0, m_cellE = 0;
    QPointF m_nodes[Cells + 1][Cells + 1];
    bool m_grid = false;
};

void VectorLinePainter::Paint(MapEventInfo& info) {
    MapEventListener::Paint(info);
    for (LevelStats& stats : m_stats)
        stats = LevelStats();
    if (m_levelCount <= 0 || info.canvas == nullptr)
        return;
    const std::optional<Band> band = VisibleBand(info);
    if (!band)
        return;
    if (!info.IsScreen()) {
        // A printout is drawn at the printer's resolution, every time.
        drawLevels(info, *band, *info.canvas);
        return;
    }
    // On the screen the lines of one view are drawn once; a repaint of the
    // same view, after a dialog or the position marker uncovered a part of
    // the map, puts back their pixels only.
    const KeptPicture::Outcome outcome =
        m_picture.paint(*info.canvas, info.ViewRect(), viewKey(info),
                        [&](QPainter& canvas) { return drawLevels(info, *band, canvas); });
    if (outcome == KeptPicture::Outcome::Kept)
        m_stats = m_pictureStats;
    else if (outcome == KeptPicture::Outcome::Drawn)
        m_pictureStats = m_stats;
}

std::vector<double> VectorLinePainter::viewKey(MapEventInfo& info) const {
    std::vector<double> key = info.ViewKey();
    if (key.empty())
        return key;
    const DrawCoordTransformer::MapEventDCT transformer(info);
    key.insert(key.end(), {double(m_levelCount), transformer.LineScale()});
    return key;
}

bool VectorLinePainter::drawLevels(MapEventInfo& info, const Band& band, QPainter& canvas) {
    const WaitCursor wait;
    const DrawCoordTransformer::MapEventDCT transformer(info);
    // Esc stops a long paint on the screen; a printout is always complete.
    const bool screen = info.IsScreen();
    canvas.save();
    canvas.setBrush(Qt::NoBrush);
    const StripProjector strips[2] = {StripProjector(transformer, 2, band.strip[0], m_margin),
                                      StripProjector(transformer, 3, band.strip[1], m_margin)};
    bool complete = true;
    for (int level = 0; level < m_levelCount && complete; ++level)
        complete =
            drawLevel(m_levels[size_t(level)], m_stats[size_t(level)], band, transformer, strips, canvas, screen);
    canvas.restore();
    return complete;
}

void VectorLinePainter::load(Level& level) {
    level.loaded = true;
    HDBRecords& cursor = *level.cursor;
    const int count = cursor.recordCount();
    if (count <= 0 || cursor.recordSize() < 4)
        return;
    level.records.reserve(size_t(count));
    for (int n = 1; n <= count; ++n) {
        // A page that cannot be read ends the file here.
        if (!cursor.seek(n))
            break;
        const uint8_t* bytes = cursor.record();
        Record r{uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]),
                 0.0,
                 0.0,
                 0.0,
                 0.0,
                 0};
        // A segment whose box cannot be read is left out.
        if (!readDouble(level.minH, cursor, r.minH) || !readDouble(level.maxH, cursor, r.maxH) ||
            !readDouble(level.minR, cursor, r.minR) || !readDouble(level.maxR, cursor, r.maxR))
            continue;
        uint32_t richtung = 0;
        if (level.richtung != nullptr)
            level.richtung->getInteger(cursor, richtung);
        r.richtung = richtung;
        level.records.push_back(r);
    }
}

bool VectorLinePainter::drawLevel(Level& level, LevelStats& stats, const Band& band,
                                  const DrawCoordTransformer::BaseDCT& transformer, const StripProjector* strips,
                                  QPainter& canvas, bool screen) {
    if (!level.loaded)
        load(level);
    if (level.records.empty())
        return true;
    QPen pen = level.pen;
    // On a printer the lines keep the width they have on the screen.
    if (transformer.LineScale() > 1.0)
        pen.setWidth(int(std::lround(pen.widthF() * transformer.LineScale())));
    canvas.setPen(pen);

    // Segments wholly outside the view in their own strip are passed over
    // without converting them; the view's box is widened by a few pixels for
    // the pen and the bend of the other strip's grid.
    std::optional<Box> visible[2];
    for (int i = 0; i < 2; ++i) {
        if (!band.strip[i])
            continue;
        Box b = *band.strip[i];
        const QRect view = canvas.viewport();
        const double metresPerPixel =
            view.width() > 0 ? std::max(b.maxE - b.minE, b.maxN - b.minN) / std::max(view.width(), view.height()) : 0.0;
        const double slack = 0.01 * std::max(b.maxE - b.minE, b.maxN - b.minN) + (pen.widthF() + 8) * metresPerPixel;
        b.minN -= slack;
        b.maxN += slack;
        b.minE -= slack;
        b.maxE += slack;
        visible[i] = b;
    }
    // The first field holds the upper northing as a 4-byte integer, most
    // significant byte first: the first segment not below the band's lower
    // edge is the first that can reach into the view.
    const double lower = std::clamp(std::trunc(band.lower), 0.0, 4294967295.0);
    const uint32_t key = uint32_t(lower);
    const std::vector<Record>& records = level.records;
    auto it =
        std::lower_bound(records.begin(), records.end(), key, [](const Record& r, uint32_t k) { return r.key < k; });
    const double limit = band.upper + m_margin;

    // Drawn in batches: one call per many lines instead of one per line.
    std::vector<QLine> lines;
    bool complete = true;
    for (; it != records.end(); ++it) {
        const Record& r = *it;
        ++stats.read;
        if (r.minH > limit)
            break;
        if (screen && TEscapeThread::instance().escapePressed()) {
            complete = false;
            break;
        }
        const int strip = int(std::floor(r.minR / 1000000.0));
        const int index = strip - 2;
        if (index == 0 || index == 1) {
            if (const std::optional<Box>& v = visible[index];
                v && (r.maxH < v->minN || r.minH > v->maxN || r.maxR < v->minE || r.minR > v->maxE))
                continue;
        }
        const Segment segment = SegmentOf(r.minH, r.maxH, r.minR, r.maxR, r.richtung);
        QPointF ends[2];
        bool inside = true;
        for (int i = 0; i < 2 && inside; ++i) {
            const QPointF& gk = i == 0 ? segment.from : segment.to;
            if (index == 0 || index == 1) {
                inside = strips[index].project(gk.x(), gk.y(), ends[i]);
            } else {
                Coord from{};
                from.type = GaussKrueger;
                from.x = gk.x();
                from.y = gk.y();
                Coord to{};
                to.type = WindowClientPoint;
                inside = transformer.Transform(from, to);
                ends[i] = QPointF(to.x, to.y);
            }
            inside = inside && std::abs(ends[i].x()) <= PixelLimit && std::abs(ends[i].y()) <= PixelLimit;
        }
        if (!inside)
            continue;
        const QPoint a(int(std::lround(ends[0].x())), int(std::lround(ends[0].y())));
        const QPoint b(int(std::lround(ends[1].x())), int(std::lround(ends[1].y())));
        ++stats.drawn;
        lines.emplace_back(a, b);
        if (lines.size() >= 1024) {
            canvas.drawLines(lines.data(), int(lines.size()));
            lines.clear();
        }
    }
    if (!lines.empty())
        canvas.drawLines(lines.data(), int(lines.size()));
    return complete;
}

// --- VectorLinePainterAction ---

VectorLinePainterAction::VectorLinePainterAction(VectorLinePainter* painter, int levelCount, QObject* parent)
    : TModularAction(parent), m_painter(painter), m_levelCount(levelCount) {
    setCheckable(true);
}

void VectorLinePainterAction::execute() {
    if (m_painter != nullptr && m_painter->SetLevelCount(m_levelCount)) {
        if (MapWindowModule* module = MapWindowModule::instance())
            module->Repaint();
    }
    update();
}

void VectorLinePainterAction::update() {
    setChecked(m_painter != nullptr && m_painter->LevelCount() == m_levelCount);
}
