#pragma once

#include "Coord.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPainter;

namespace Modul {
class DHM;
}

// A marked point of a profile line: DHDN geographic position and the
// distance along the line from its first point in metres.
struct DHM_Point {
    double longitude = 0.0;
    double latitude = 0.0;
    float distance = 0.0f;
};

// One place along the line where the height is taken.
struct DHM_Sample {
    double distance = 0.0; // horizontal metres from the first point
    Coord position{};      // library Gauss-Krüger (type 1) in the strip of its segment part
    int height = 0;        // decimetres, 0 = none
};

// How the distance axis of a profile is written.
struct DHM_DistanceUnit {
    double metres = 1.0;     // 1, 1000 or 1 000 000
    QString text;            // " m", " km", " tkm"
    const char* format = ""; // "%.0f", "%.1f" or "%.2f"

    static DHM_DistanceUnit forTotal(double totalMetres);
    QString number(double metres) const;
};

// What a drawing of the graph came to, for the caller (and the tests).
struct DHM_Graph {
    QRect plot;      // the plot area; empty when nothing was plotted
    int minimum = 0; // height range in decimetres
    int maximum = 0;
    int heightStep = 0;                  // decimetres between height labels
    double pathLength = 0.0;             // metres, height differences included
    double rise = 0.0, riseLength = 0.0; // decimetres and metres
    double fall = 0.0, fallLength = 0.0;
    QStringList heightLabels;
    QStringList distanceLabels; // start, intermediate ones in order, end
    QStringList gradientLabels;
    QStringList statistics; // the two lines, when shown
    QStringList messages;   // the lines shown instead of a graph
    int lines = 0;          // graph pieces drawn (a gap starts a new one)
    std::vector<DHM_Sample> samples;
};

// The profile: the marked points, the display flags and the pen of the graph.
class DHM_Path {
public:
    enum Flags {
        SupportPoints = 1, // intermediate samples every 2 graph pixels
        Percentages = 2,   // gradient labels (bits 0..1 value 2)
        InterpolationMask = 3,
        Statistics = 4,
        HelperLines = 8,
        Bilinear = 16,
    };

    // Heights come from the model (not owned); none: no heights.
    explicit DHM_Path(const Modul::DHM* model = nullptr) : m_model(model) {}

    void setModel(const Modul::DHM* model) { m_model = model; }
    const Modul::DHM* model() const { return m_model; }

    void clear() { m_points.clear(); }
    // Converts the position (any system the map library converts without a
    // map) to DHDN geographic and appends it; false when that fails.
    bool addPoint(const Coord& position);
    const std::vector<DHM_Point>& points() const { return m_points; }
    // Horizontal length of the line in metres.
    double horizontalLength() const { return m_points.empty() ? 0.0 : double(m_points.back().distance); }

    // The samples for a graph `plotWidth` pixels wide: with support points
    // every 2 pixels of it, else only at the marked points; always at a
    // crossing of 7.5° E.
    std::vector<DHM_Sample> samples(int plotWidth) const;

    // Draws the graph (or the messages for fewer than two points) into the
    // rectangle. `fixedRange`: height range in decimetres instead of the
    // samples' one.
    DHM_Graph draw(QPainter& canvas, const QRect& rect,
                   const std::optional<std::pair<int, int>>& fixedRange = std::nullopt) const;

    int flags = 0;
    Qt::PenStyle penStyle = Qt::SolidLine;
    int penWidth = 1;
    QColor colour = Qt::black;
    bool inverted = false;
    // Device pixels per screen pixel for the thin lines (axes, ticks, helper
    // lines); a printer sets it so that they keep their look on paper.
    double lineScale = 1.0;

    // Length (height differences included) and the sums of rises and falls
    // over consecutive samples, as the graph counts them.
    struct Totals {
        double length = 0.0;                 // metres, from the first sample
        double rise = 0.0, riseLength = 0.0; // decimetres and metres
        double fall = 0.0, fallLength = 0.0;
    };
    static Totals totals(const std::vector<DHM_Sample>& samples);

    // Height range of samples: min and max of the heights other than 0
    // (starting from 30000 and 100), rounded outwards to 100 decimetres.
    static std::pair<int, int> heightRange(const std::vector<DHM_Sample>& samples);
    // Decimetres between height labels for a text height and plot height.
    static int heightStep(int textHeight, int plotHeight, int range);
    // The gradient label of a segment.
    static QString gradientText(double heightDifference, double segmentLength);

private:
    std::vector<DHM_Point> m_points;
    const Modul::DHM* m_model = nullptr;
};
