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
        Band box{0.0, 0.0};
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
                box = {to.x, to.x};
            } else {
                box.lower = std::min(box.lower, to.x);
                box.upper = std::max(box.upper, to.x);
            }
        }
        if (!converted)
            continue;
        if (band) {
            band->lower = std::min(band->lower, box.lower);
            band->upper = std::max(band->upper, box.upper);
        } else {
            band = box;
        }
    }
    return band;
}

VectorLinePainter::Segment VectorLinePainter::SegmentOf(double minH, double maxH, double minR, double maxR,
                                                        unsigned richtung) {
    if (richtung == 0)
        return {QPointF(minH, minR), QPointF(maxH, maxR)};
    return {QPointF(maxH, minR), QPointF(minH, maxR)};
}

void VectorLinePainter::Paint(MapEventInfo& info) {
    MapEventListener::Paint(info);
    for (LevelStats& stats : m_stats)
        stats = LevelStats();
    if (m_levelCount <= 0 || info.canvas == nullptr)
        return;
    const std::optional<Band> band = VisibleBand(info);
    if (!band)
        return;
    const WaitCursor wait;
    const DrawCoordTransformer::MapEventDCT transformer(info);
    // Esc stops a long paint on the screen; a printout is always complete.
    const bool screen = info.IsScreen();
    QPainter& canvas = *info.canvas;
    canvas.save();
    canvas.setBrush(Qt::NoBrush);
    for (int level = 0; level < m_levelCount; ++level)
        drawLevel(m_levels[size_t(level)], m_stats[size_t(level)], *band, transformer, canvas, screen);
    canvas.restore();
}

void VectorLinePainter::drawLevel(Level& level, LevelStats& stats, const Band& band,
                                  const DrawCoordTransformer::BaseDCT& transformer, QPainter& canvas, bool screen) {
    HDBRecords& cursor = *level.cursor;
    if (cursor.recordCount() == 0)
        return;
    QPen pen = level.pen;
    // On a printer the lines keep the width they have on the screen.
    if (transformer.LineScale() > 1.0)
        pen.setWidth(int(std::lround(pen.widthF() * transformer.LineScale())));
    canvas.setPen(pen);

    // The first field holds the upper northing as a 4-byte integer, most
    // significant byte first: the first segment not below the band's lower
    // edge is the first that can reach into the view.
    const double lower = std::clamp(std::trunc(band.lower), 0.0, 4294967295.0);
    const uint32_t key = uint32_t(lower);
    const unsigned char keyBytes[4] = {static_cast<unsigned char>(key >> 24), static_cast<unsigned char>(key >> 16),
                                       static_cast<unsigned char>(key >> 8), static_cast<unsigned char>(key)};
    cursor.findNearest(keyBytes, sizeof keyBytes, true);
    const double limit = band.upper + m_margin;

    for (; !cursor.eof(); cursor.seek(cursor.recNo() + 1)) {
        double minH = 0, maxH = 0, minR = 0, maxR = 0;
        uint32_t richtung = 0;
        if (!readDouble(level.minH, cursor, minH))
            continue;
        ++stats.read;
        if (minH > limit)
            break;
        if (screen && TEscapeThread::instance().escapePressed())
            break;
        if (!readDouble(level.maxH, cursor, maxH) || !readDouble(level.minR, cursor, minR) ||
            !readDouble(level.maxR, cursor, maxR))
            continue;
        if (level.richtung != nullptr)
            level.richtung->getInteger(cursor, richtung);
        const Segment segment = SegmentOf(minH, maxH, minR, maxR, richtung);
        QPointF ends[2];
        bool inside = true;
        for (int i = 0; i < 2 && inside; ++i) {
            const QPointF& gk = i == 0 ? segment.from : segment.to;
            Coord from{};
            from.type = GaussKrueger;
            from.x = gk.x();
            from.y = gk.y();
            Coord to{};
            to.type = WindowClientPoint;
            inside = transformer.Transform(from, to) && std::abs(to.x) <= PixelLimit && std::abs(to.y) <= PixelLimit;
            ends[i] = QPointF(to.x, to.y);
        }
        if (!inside)
            continue;
        canvas.drawLine(QPoint(int(std::lround(ends[0].x())), int(std::lround(ends[0].y()))),
                        QPoint(int(std::lround(ends[1].x())), int(std::lround(ends[1].y()))));
        ++stats.drawn;
    }
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
