#pragma once

#include "KeptPicture.h"
#include "MapEvents.h"
#include "ModularAction.h"

#include <QPen>
#include <QPointF>
#include <QString>

#include <cstdint>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace DrawCoordTransformer {
class BaseDCT;
}
class HDBRecords;
class QPainter;
class RowField;

// Draws straight line segments kept in HDB files over the map, one file per
// level. Each record is a segment given by its bounding box (northing
// "MIN_H" .. "MAX_H", easting "MIN_R" .. "MAX_R", Gauss-Krüger metres) and
// "RICHTUNG", which of the two diagonals it is. The files are sorted by their
// first field, a 4-byte integer holding the segment's upper northing, so a
// paint reads only the segments of the visible northing band: from the
// band's lower edge up to its upper edge plus the margin, which must be at
// least the northing extent of the longest segment.
//
// Levels are drawn from the first file up to the displayed level count, each
// with its own pen; the count starts at 0 (nothing drawn).
class VectorLinePainter : public MapEventListener {
public:
    // Files are basePath + level number + ".HDB" (levels 1 .. fileCount).
    VectorLinePainter(const QString& basePath, int fileCount, std::vector<QPen> pens, double margin,
                      const std::string& codeword);
    ~VectorLinePainter() override;

    int FileCount() const { return int(m_levels.size()); }
    int LevelCount() const { return m_levelCount; }
    // Clamped to 0 .. FileCount(); true when the count changed.
    bool SetLevelCount(int count);
    double Margin() const { return m_margin; }

    // The visible map in Gauss-Krüger strips 2 and 3: the box of the view
    // rectangle's corners in each strip that converts, and the northing band
    // spanning both; none when neither converts.
    struct Box {
        double minN = 0.0, maxN = 0.0, minE = 0.0, maxE = 0.0;
    };
    struct Band {
        double lower = 0.0;
        double upper = 0.0;
        std::optional<Box> strip[2]; // strips 2 and 3
    };
    static std::optional<Band> VisibleBand(const MapEventInfo& info);

    // The end points of a segment: RICHTUNG 0 runs from (MIN_H, MIN_R) to
    // (MAX_H, MAX_R), any other value from (MAX_H, MIN_R) to (MIN_H, MAX_R).
    // Points are (northing, easting).
    struct Segment {
        QPointF from;
        QPointF to;
    };
    static Segment SegmentOf(double minH, double maxH, double minR, double maxR, unsigned richtung);

    void Paint(MapEventInfo& info) override;

    // What the last paint did, per level (index 0 = level 1): segments read
    // and lines drawn.
    struct LevelStats {
        int read = 0;
        int drawn = 0;
    };
    const std::vector<LevelStats>& LastPaint() const { return m_stats; }

private:
    // One segment as stored: the key (the first four bytes of its record,
    // most significant first), its box and its direction.
    struct Record {
        uint32_t key;
        double minH, maxH, minR, maxR;
        unsigned richtung;
    };
    struct Level {
        std::unique_ptr<HDBRecords> cursor;
        QPen pen;
        const RowField* minH = nullptr;
        const RowField* maxH = nullptr;
        const RowField* minR = nullptr;
        const RowField* maxR = nullptr;
        const RowField* richtung = nullptr;
        // The file is read once, on the first paint that shows the level; the
        // files never change while the program runs.
        bool loaded = false;
        std::vector<Record> records;
    };
    void load(Level& level);
    // Converts the positions of one strip into window points during a paint.
    class StripProjector;
    // Draws the shown levels; false when Esc stopped the paint.
    bool drawLevels(MapEventInfo& info, const Band& band, QPainter& canvas);
    bool drawLevel(Level& level, LevelStats& stats, const Band& band, const DrawCoordTransformer::BaseDCT& transformer,
                   const StripProjector* strips, QPainter& canvas, bool screen);
    // What decides the picture of a view: where it lies, the level count
    // and the line scale.
    std::vector<double> viewKey(MapEventInfo& info) const;

    std::vector<Level> m_levels;
    double m_margin;
    int m_levelCount = 0;
    std::vector<LevelStats> m_stats;
    // The lines of the last view drawn on the screen.
    KeptPicture m_picture;
    std::vector<LevelStats> m_pictureStats;
};

// Chooses how many levels the painter draws; checked while it draws that many.
class VectorLinePainterAction : public TModularAction {
    Q_OBJECT
public:
    VectorLinePainterAction(VectorLinePainter* painter, int levelCount, QObject* parent = nullptr);
    int levelCount() const { return m_levelCount; }
    // Sets the painter's level count and repaints the map when it changed.
    void execute() override;
    void update() override;

private:
    VectorLinePainter* m_painter;
    int m_levelCount;
};
