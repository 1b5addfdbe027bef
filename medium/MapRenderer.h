#pragma once

#include "MapPalette.h"
#include "World.h"

#include <QFont>
#include <QImage>
#include <QPolygonF>
#include <QRectF>

#include <cstdint>
#include <vector>

// One map to be drawn from the world: its style, the box it covers (edges of
// the picture, Gauss-Krüger strip 3) and its size in pixels.
struct MapSpec {
    MapPalette::Style style = MapPalette::Style::Regional;
    GkBox box;
    int width = 0, height = 0;
    double pixelSize = 1.0; // metres per pixel

    static MapSpec regional(const WorldSpec& w);
    static MapSpec overview250(const WorldSpec& w);
    static MapSpec overview1600(const WorldSpec& w);
    static MapSpec overviewLand(const WorldSpec& w);
    static MapSpec overviewRegion(const WorldSpec& w);

    // Pixel position (continuous, pixel (0, 0) covers [0, 1) × [0, 1)) of a
    // world position, and the world position of a pixel's centre.
    QPointF toPixel(const QPointF& p) const {
        return QPointF((p.x() - box.e0) / pixelSize, (box.n1 - p.y()) / pixelSize);
    }
    QPointF toWorld(double x, double y) const {
        return QPointF(box.e0 + (x + 0.5) * pixelSize, box.n1 - (y + 0.5) * pixelSize);
    }
};

// Draws a map of the world as 8-bit palette indices (MapPalette layout),
// band by band, so that maps of any size are drawn in the memory of one band.
// Everything that depends on the whole map (line work in pixels, the layout
// of the names) is prepared once in the constructor; a band is then a
// function of its rows only, so bands join without seams.
class MapRenderer {
public:
    MapRenderer(const World& world, const MapSpec& spec);

    const MapSpec& spec() const { return m_spec; }
    std::vector<QRgb> palette() const { return MapPalette::colours(m_spec.style); }

    // Rows y0 .. y0 + rows - 1 into `out` (rows × width bytes, `stride` apart).
    void renderBand(int y0, int rows, uint8_t* out, std::size_t stride) const;
    // The whole map as an indexed picture with its palette.
    QImage render() const;

    struct Label {
        QString text;
        QFont font;
        QPointF centre;   // pixel position of the text's centre
        double angle = 0; // degrees, clockwise on screen
        QRectF bounds;    // pixel box (axis-parallel, around the turned text)
    };
    const std::vector<Label>& labels() const { return m_labels; }

private:
    struct Stroke {
        QPolygonF line; // pixels
        QRectF bounds;
        double width;
        MapPalette::Line code;
        int pass; // drawing order
        bool dashed = false;
    };
    struct Area {
        QPolygonF polygon;
        QRectF bounds;
        MapPalette::Line code;
    };
    void prepareStrokes();
    void layoutLabels();
    bool placeLabel(Label label, std::vector<QRectF>& placed);

    const World& m_world;
    MapSpec m_spec;
    std::vector<Stroke> m_strokes; // sorted by pass
    std::vector<Area> m_areas;     // drawn after the strokes
    std::vector<Label> m_labels;
};
