#include "MapRenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <thread>

using namespace MapPalette;

namespace {

MapSpec fit(Style style, GkBox box, double pixelSize) {
    MapSpec s;
    s.style = style;
    s.pixelSize = pixelSize;
    s.width = std::max(1, int(std::lround(box.width() / pixelSize)));
    s.height = std::max(1, int(std::lround(box.height() / pixelSize)));
    box.e1 = box.e0 + s.width * pixelSize;
    box.n0 = box.n1 - s.height * pixelSize;
    s.box = box;
    return s;
}

GkBox stateFrame(const WorldSpec& w) {
    GkBox b = w.state;
    b.e0 -= 2000;
    b.n0 -= 2000;
    b.e1 += 2000;
    b.n1 += 2000;
    return b;
}

// Ordered dither thresholds (4 × 4 Bayer matrix), in [0, 1).
const double bayer[4][4] = {{0.0 / 16, 8.0 / 16, 2.0 / 16, 10.0 / 16},
                            {12.0 / 16, 4.0 / 16, 14.0 / 16, 6.0 / 16},
                            {3.0 / 16, 11.0 / 16, 1.0 / 16, 9.0 / 16},
                            {15.0 / 16, 7.0 / 16, 13.0 / 16, 5.0 / 16}};

struct StyleParams {
    double exaggeration; // vertical exaggeration of the hill shading
    double contour;      // contour interval in metres, 0 = none
    double grid;         // grid spacing in metres, 0 = none
    int sampleStep;      // pixels between samples of the smooth fields
    bool houses;         // single houses instead of built-up areas only
    int minRank;         // lowest rank of place (highest number) named
    double riverMinFlow; // smallest catchment shown as a river, km²
};

StyleParams params(Style s) {
    switch (s) {
    case Style::Regional:
        return {1.7, 10.0, 1000.0, 3, true, 3, 4.0};
    case Style::Overview250:
        return {3.0, 0.0, 10000.0, 2, false, 2, 12.0};
    case Style::Overview1600:
        return {5.0, 0.0, 10000.0, 1, false, 1, 60.0};
    case Style::OverviewLand:
        return {6.0, 0.0, 0.0, 1, false, -1, 150.0};
    case Style::OverviewRegion:
        return {3.0, 0.0, 0.0, 1, false, -1, 20.0};
    }
    return {1, 0, 0, 1, false, -1, 4};
}

QFont mapFont(double pixelSize, bool bold, bool italic) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(6, int(std::lround(pixelSize))));
    f.setBold(bold);
    f.setItalic(italic);
    // Names are one palette colour: no grey edges.
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

} // namespace

MapSpec MapSpec::regional(const WorldSpec& w) {
    return fit(Style::Regional, w.region, w.regionPixelSize);
}
MapSpec MapSpec::overview250(const WorldSpec& w) {
    return fit(Style::Overview250, stateFrame(w), 25.0);
}
MapSpec MapSpec::overview1600(const WorldSpec& w) {
    return fit(Style::Overview1600, stateFrame(w), 160.0);
}
MapSpec MapSpec::overviewLand(const WorldSpec& w) {
    const GkBox b = stateFrame(w);
    return fit(Style::OverviewLand, b, b.width() / 240.0);
}
MapSpec MapSpec::overviewRegion(const WorldSpec& w) {
    return fit(Style::OverviewRegion, w.region, w.region.width() / 256.0);
}

MapRenderer::MapRenderer(const World& world, const MapSpec& spec) : m_world(world), m_spec(spec) {
    prepareStrokes();
    layoutLabels();
}

void MapRenderer::prepareStrokes() {
    const StyleParams sp = params(m_spec.style);
    const double ps = m_spec.pixelSize;
    const bool regional = m_spec.style == Style::Regional;
    auto toPx = [&](const std::vector<QPointF>& pts) {
        QPolygonF poly;
        poly.reserve(int(pts.size()));
        for (const QPointF& p : pts)
            poly << m_spec.toPixel(p);
        return poly;
    };
    auto add = [&](QPolygonF line, double width, Line code, int pass, bool dashed = false) {
        if (line.size() < 2)
            return;
        const QRectF b = line.boundingRect().adjusted(-width, -width, width, width);
        if (!b.intersects(QRectF(0, 0, m_spec.width, m_spec.height)))
            return;
        m_strokes.push_back({std::move(line), b, width, code, pass, dashed});
    };

    // Rivers: split where they run through a lake, widening downstream.
    for (const River& r : m_world.rivers) {
        std::size_t i = 0;
        while (i + 1 < r.points.size()) {
            if (r.flow[i] < sp.riverMinFlow) {
                ++i;
                continue;
            }
            QPolygonF part;
            double width = 0;
            std::size_t k = i;
            for (; k < r.points.size(); ++k) {
                const QPointF p = r.points[k];
                if (m_world.isLake(p.x(), p.y()) && k > i)
                    break;
                part << m_spec.toPixel(p);
                // Width in metres from the catchment, at least a hairline.
                const double metres = std::clamp(1.5 + 0.9 * std::sqrt(double(r.flow[k])), 1.5, 40.0);
                width = std::max(width, metres / ps);
            }
            const double minW = regional ? 2.0 : 1.0;
            const double maxW = regional ? 10.0 : m_spec.style == Style::Overview250 ? 3.0 : 2.0;
            add(part, std::clamp(width, minW, maxW), RiverFill, 0);
            // Skip the lake stretch.
            while (k < r.points.size() && m_world.isLake(r.points[k].x(), r.points[k].y()))
                ++k;
            i = k > 0 ? k - 1 : k;
            if (k >= r.points.size())
                break;
        }
    }

    // Roads: casings first, fills after, minor roads below major ones.
    struct RoadLook {
        double casing, fill;
        Line code;
    };
    auto look = [&](RoadClass c) -> RoadLook {
        switch (m_spec.style) {
        case Style::Regional:
            switch (c) {
            case RoadClass::Federal:
                return {10, 7.5, FederalFill};
            case RoadClass::State:
                return {9, 6.5, StateFill};
            case RoadClass::District:
                return {8, 5.5, DistrictFill};
            case RoadClass::Local:
                return {6, 3.5, LocalFill};
            }
            break;
        case Style::Overview250:
            switch (c) {
            case RoadClass::Federal:
                return {4.2, 2.6, FederalFill};
            case RoadClass::State:
                return {3.4, 1.8, StateFill};
            case RoadClass::District:
                return {0, 1.2, RoadCasing};
            case RoadClass::Local:
                return {0, 0, None};
            }
            break;
        case Style::Overview1600:
        case Style::OverviewRegion:
            switch (c) {
            case RoadClass::Federal:
                return {0, 1.6, FederalFill};
            case RoadClass::State:
                return {0, m_spec.style == Style::OverviewRegion ? 1.0 : 0.0, StateFill};
            default:
                return {0, 0, None};
            }
        case Style::OverviewLand:
            return {0, c == RoadClass::Federal ? 1.0 : 0.0, FederalFill};
        }
        return {0, 0, None};
    };
    for (const Road& r : m_world.roads) {
        const RoadLook l = look(r.cls);
        if (l.fill <= 0 || l.code == None)
            continue;
        const int rank = 3 - int(r.cls); // federal highest
        const QPolygonF line = toPx(r.points);
        if (l.casing > 0)
            add(line, l.casing, RoadCasing, 10 + rank);
        add(line, l.fill, l.code, 20 + rank);
    }
    for (const auto& rail : m_world.railways) {
        const QPolygonF line = toPx(rail);
        if (regional) {
            add(line, 5.0, RailDark, 30);
            add(line, 2.6, RailLight, 31, true);
        } else if (m_spec.style != Style::OverviewLand) {
            add(line, m_spec.style == Style::Overview250 ? 1.6 : 1.0, RailDark, 30);
        }
    }
    std::stable_sort(m_strokes.begin(), m_strokes.end(),
                     [](const Stroke& a, const Stroke& b) { return a.pass < b.pass; });

    if (sp.houses) {
        for (const QPolygonF& b : m_world.buildings) {
            QPolygonF poly;
            for (const QPointF& p : b)
                poly << m_spec.toPixel(p);
            const QRectF bounds = poly.boundingRect();
            if (bounds.intersects(QRectF(0, 0, m_spec.width, m_spec.height)))
                m_areas.push_back({poly, bounds.adjusted(-1, -1, 1, 1), House});
        }
    }
}

bool MapRenderer::placeLabel(Label label, std::vector<QRectF>& placed) {
    const QFontMetricsF fm(label.font);
    const double w = fm.horizontalAdvance(label.text), h = fm.height();
    const double a = label.angle * M_PI / 180.0;
    const double bw = std::fabs(w * std::cos(a)) + std::fabs(h * std::sin(a));
    const double bh = std::fabs(w * std::sin(a)) + std::fabs(h * std::cos(a));
    label.bounds = QRectF(label.centre.x() - bw / 2, label.centre.y() - bh / 2, bw, bh);
    if (!QRectF(2, 2, m_spec.width - 4, m_spec.height - 4).contains(label.bounds))
        return false;
    const QRectF padded = label.bounds.adjusted(-3, -2, 3, 2);
    for (const QRectF& r : placed) {
        if (r.intersects(padded))
            return false;
    }
    placed.push_back(label.bounds);
    m_labels.push_back(std::move(label));
    return true;
}

void MapRenderer::layoutLabels() {
    const StyleParams sp = params(m_spec.style);
    if (sp.minRank < 0)
        return;
    const double ps = m_spec.pixelSize;
    const bool regional = m_spec.style == Style::Regional;
    std::vector<QRectF> placed;
    // Keep names off the place symbols and houses of towns: the built-up
    // areas of named places are not blocked, the names sit beside them.
    auto sizeFor = [&](int rank) {
        switch (m_spec.style) {
        case Style::Regional:
            return rank == 0 ? 34.0 : rank == 1 ? 27.0 : rank == 2 ? 20.0 : 15.0;
        case Style::Overview250:
            return rank == 0 ? 21.0 : rank == 1 ? 15.0 : 11.0;
        default:
            return rank == 0 ? 14.0 : 11.0;
        }
    };
    std::vector<int> order;
    for (std::size_t i = 0; i < m_world.settlements.size(); ++i) {
        if (m_world.settlements[i].rank <= sp.minRank)
            order.push_back(int(i));
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return m_world.settlements[std::size_t(a)].rank < m_world.settlements[std::size_t(b)].rank;
    });
    for (int idx : order) {
        const Settlement& s = m_world.settlements[std::size_t(idx)];
        const QPointF c = m_spec.toPixel(s.pos);
        if (c.x() < -200 || c.y() < -200 || c.x() > m_spec.width + 200 || c.y() > m_spec.height + 200)
            continue;
        Label l;
        l.text = s.name;
        l.font = mapFont(sizeFor(s.rank), s.rank <= 1, false);
        const QFontMetricsF fm(l.font);
        const double w = fm.horizontalAdvance(l.text), h = fm.height();
        const double r = std::max(3.0, s.radius / ps * (regional ? 0.75 : 1.0));
        const QPointF candidates[] = {c + QPointF(r + w / 2 + 4, 0),
                                      c + QPointF(0, -r - h / 2 - 2),
                                      c + QPointF(0, r + h / 2 + 2),
                                      c - QPointF(r + w / 2 + 4, 0),
                                      c + QPointF(r * 0.7 + w / 2, -r * 0.7 - h / 2),
                                      c};
        for (const QPointF& cand : candidates) {
            l.centre = cand;
            if (placeLabel(l, placed))
                break;
        }
    }
    if (m_spec.style == Style::Regional || m_spec.style == Style::Overview250) {
        // Lakes, centred in the water.
        for (const Lake& lk : m_world.lakes) {
            if (lk.area < (regional ? 0.04 : 1.0) || !m_world.insideState(lk.centre.x(), lk.centre.y()))
                continue;
            Label l;
            l.text = lk.name;
            l.font = mapFont(regional ? 18 : 11, false, true);
            l.centre = m_spec.toPixel(lk.centre);
            placeLabel(l, placed);
        }
        // Rivers: beside the water, turned along its course, repeated on
        // long rivers.
        const double spacing = regional ? 2200.0 : 900.0;
        for (const River& rv : m_world.rivers) {
            if (rv.name.isEmpty() || (!regional && rv.flow.back() < 60.f) ||
                !m_world.insideState(rv.points.back().x(), rv.points.back().y()))
                continue;
            Label l;
            l.text = rv.name;
            l.font = mapFont(regional ? 17 : 11, false, true);
            const QFontMetricsF fm(l.font);
            const double w = fm.horizontalAdvance(l.text), h = fm.height();
            std::vector<QPointF> px;
            for (const QPointF& p : rv.points)
                px.push_back(m_spec.toPixel(p));
            double along = 0, next = spacing * 0.4;
            for (std::size_t i = 0; i + 1 < px.size(); ++i) {
                along += std::hypot(px[i + 1].x() - px[i].x(), px[i + 1].y() - px[i].y());
                if (along < next)
                    continue;
                // The chord over the length of the text gives the direction.
                std::size_t k = i;
                double run = 0;
                while (k + 1 < px.size() && run < w) {
                    run += std::hypot(px[k + 1].x() - px[k].x(), px[k + 1].y() - px[k].y());
                    ++k;
                }
                if (run < w * 0.9)
                    break;
                const QPointF d = px[k] - px[i];
                double ang = std::atan2(d.y(), d.x()) * 180.0 / M_PI;
                if (ang > 90)
                    ang -= 180;
                if (ang < -90)
                    ang += 180;
                if (std::fabs(ang) > 65)
                    continue;
                const QPointF mid = (px[k] + px[i]) / 2;
                const double a = ang * M_PI / 180.0;
                const QPointF normal(-std::sin(a), std::cos(a));
                const double off = h / 2 + (regional ? 8 : 3);
                l.angle = ang;
                bool ok = false;
                for (int side : {1, -1}) {
                    l.centre = mid + normal * (off * side);
                    if (m_world.isLake(m_spec.toWorld(l.centre.x(), l.centre.y()).x(),
                                       m_spec.toWorld(l.centre.x(), l.centre.y()).y()))
                        continue;
                    if ((ok = placeLabel(l, placed)))
                        break;
                }
                if (ok)
                    next = along + spacing;
            }
        }
    }
    if (regional) {
        // Summits: the name above the spot height.
        for (const Peak& pk : m_world.peaks) {
            const QPointF c = m_spec.toPixel(pk.pos);
            if (c.x() < 0 || c.y() < 0 || c.x() >= m_spec.width || c.y() >= m_spec.height)
                continue;
            Label name;
            name.text = pk.name;
            name.font = mapFont(15, false, false);
            name.centre = c + QPointF(0, -16);
            Label height;
            height.text = QString::number(pk.height, 'f', 1);
            height.font = mapFont(12, false, false);
            height.centre = c + QPointF(0, 13);
            if (placeLabel(height, placed))
                placeLabel(name, placed);
        }
    }
}

void MapRenderer::renderBand(int y0, int rows, uint8_t* out, std::size_t stride) const {
    const StyleParams sp = params(m_spec.style);
    const int W = m_spec.width;
    const double ps = m_spec.pixelSize;
    const int s = sp.sampleStep;
    const bool regional = m_spec.style == Style::Regional;
    // Smooth fields on a lattice every s pixels, with a border of one pixel
    // for the slopes and the line tests.
    const int LX = (W + 2 + s - 1) / s + 1;
    const int LY = (rows + 2 + s - 1) / s + 1;
    const std::size_t ln = std::size_t(LX) * std::size_t(LY);
    std::vector<float> hL(ln), forestL(ln), borderL(ln), townL(ln), lakeL(ln);
    auto sampleRows = [&](int b0, int b1) {
        for (int b = b0; b < b1; ++b) {
            for (int a = 0; a < LX; ++a) {
                const QPointF p = m_spec.toWorld(-1 + a * s, y0 - 1 + b * s);
                const std::size_t k = std::size_t(b) * LX + a;
                hL[k] = float(m_world.ground(p.x(), p.y()));
                forestL[k] = float(m_world.forestValue(p.x(), p.y()));
                borderL[k] = float(m_world.borderValue(p.x(), p.y()));
                townL[k] = float(m_world.settlementValue(p.x(), p.y()));
                lakeL[k] = float(m_world.lakeValue(p.x(), p.y()));
            }
        }
    };
    {
        std::thread helper(sampleRows, 0, LY / 2);
        sampleRows(LY / 2, LY);
        helper.join();
    }
    const int PW = W + 2, PH = rows + 2;
    auto lerp = [&](const std::vector<float>& f, int px, int py) {
        // px, py: pixel offsets from the band's top-left border pixel.
        const int a = px / s, b = py / s;
        const double tx = double(px % s) / s, ty = double(py % s) / s;
        const std::size_t k = std::size_t(b) * LX + a;
        const double v0 = f[k] + (f[k + 1] - f[k]) * tx;
        const double v1 = f[k + LX] + (f[k + LX + 1] - f[k + LX]) * tx;
        return v0 + (v1 - v0) * ty;
    };
    std::vector<float> height(std::size_t(PW) * PH);
    std::vector<uint8_t> cls(std::size_t(PW) * PH); // 0 open 1 forest 2 town 3 water 4 outside
    for (int py = 0; py < PH; ++py) {
        for (int px = 0; px < PW; ++px) {
            const std::size_t k = std::size_t(py) * PW + px;
            height[k] = float(s == 1 ? hL[std::size_t(py) * LX + px] : lerp(hL, px, py));
            uint8_t c = 0;
            if (lerp(borderL, px, py) <= 0)
                c = 4;
            else if (lerp(lakeL, px, py) > 0)
                c = 3;
            else if (lerp(townL, px, py) > 0)
                c = 2;
            else if (lerp(forestL, px, py) > 0)
                c = 1;
            cls[k] = c;
        }
    }

    // Line work and names, drawn with exact colours (no smoothing), one
    // palette code per pixel in the red channel.
    QImage lines(W, rows, QImage::Format_RGB32);
    lines.fill(0);
    QImage names(W, rows, QImage::Format_RGB32);
    names.fill(0);
    const QRectF band(0, y0, W, rows);
    {
        QPainter p(&lines);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(0, -y0);
        for (const Stroke& st : m_strokes) {
            if (!st.bounds.intersects(band))
                continue;
            QPen pen(QColor(qRgb(st.code, 0, 0)), st.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            if (st.dashed) {
                pen.setCapStyle(Qt::FlatCap);
                pen.setDashPattern({12.0 / st.width * 1.0, 12.0 / st.width * 1.0});
            }
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(st.line);
        }
        p.setPen(Qt::NoPen);
        for (const Area& a : m_areas) {
            if (!a.bounds.intersects(band))
                continue;
            p.setBrush(QColor(qRgb(a.code, 0, 0)));
            p.drawPolygon(a.polygon);
        }
        if (regional) {
            // Summits: a small triangle; stations: a red bar.
            p.setBrush(QColor(qRgb(Symbol, 0, 0)));
            for (const Peak& pk : m_world.peaks) {
                const QPointF c = m_spec.toPixel(pk.pos);
                if (!band.adjusted(-8, -8, 8, 8).contains(c))
                    continue;
                QPolygonF tri;
                tri << c + QPointF(0, -5) << c + QPointF(5, 4) << c + QPointF(-5, 4);
                p.drawPolygon(tri);
            }
            p.setBrush(QColor(qRgb(MapPalette::Station, 0, 0)));
            for (const ::Station& stn : m_world.stations) {
                const QPointF c = m_spec.toPixel(stn.pos);
                if (band.adjusted(-10, -10, 10, 10).contains(c))
                    p.drawRect(QRectF(c.x() - 7, c.y() - 4, 14, 8));
            }
        }
        if (m_spec.style == Style::OverviewLand || m_spec.style == Style::Overview1600) {
            p.setBrush(QColor(qRgb(TownDot, 0, 0)));
            for (const Settlement& st : m_world.settlements) {
                if (st.rank > (m_spec.style == Style::OverviewLand ? 0 : 1))
                    continue;
                const QPointF c = m_spec.toPixel(st.pos);
                const double r = st.rank == 0 ? 3.5 : 2.5;
                if (band.adjusted(-6, -6, 6, 6).contains(c))
                    p.drawEllipse(c, r, r);
            }
        }
    }
    {
        QPainter p(&names);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.translate(0, -y0);
        p.setPen(QColor(255, 255, 255));
        for (const Label& l : m_labels) {
            if (!l.bounds.adjusted(-4, -4, 4, 4).intersects(band))
                continue;
            p.save();
            p.setFont(l.font);
            p.translate(l.centre);
            p.rotate(l.angle);
            const QFontMetricsF fm(l.font);
            const double w = fm.horizontalAdvance(l.text);
            p.drawText(QPointF(-w / 2, (fm.ascent() - fm.descent()) / 2), l.text);
            p.restore();
        }
    }

    // Hill shading with the light from the north-west, 45° high.
    const double lx = -0.5, ly = 0.5, lz = 0.70710678;
    const double z = sp.exaggeration;
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = out + std::size_t(y) * stride;
        const QRgb* lineRow = reinterpret_cast<const QRgb*>(lines.constScanLine(y));
        const QRgb* nameRow = reinterpret_cast<const QRgb*>(names.constScanLine(y));
        const int ay = y0 + y;
        for (int x = 0; x < W; ++x) {
            const std::size_t k = std::size_t(y + 1) * PW + (x + 1);
            const uint8_t c = cls[k];
            const double dzdx = (height[k + 1] - height[k - 1]) / (2 * ps) * z;
            const double dzdy = (height[k - PW] - height[k + PW]) / (2 * ps) * z; // northwards
            const double len = std::sqrt(dzdx * dzdx + dzdy * dzdy + 1.0);
            const double illum = (-dzdx * lx - dzdy * ly + lz) / len;
            const double t = std::clamp(0.80 + (illum - lz) * 1.9, 0.0, 1.0);
            const double dither = bayer[ay & 3][x & 3];
            auto level = [&](int count) { return std::min(count - 1, int(t * (count - 1) + dither)); };
            uint8_t idx = 0;
            switch (c) {
            case 0:
                idx = uint8_t(OpenFirst + level(OpenCount));
                break;
            case 1:
                idx = uint8_t(ForestFirst + level(ForestCount));
                break;
            case 2:
                idx = uint8_t(TownFirst + level(TownCount));
                break;
            case 3:
                idx = Water;
                break;
            default:
                idx = uint8_t(OutsideFirst + level(OutsideCount));
                break;
            }
            uint8_t code = uint8_t(qRed(lineRow[x]));
            if (code == None) {
                // Shore lines and the state border from the cover classes.
                const uint8_t l = cls[k - 1], r = cls[k + 1], u = cls[k - PW], d = cls[k + PW];
                if (c == 3 && (l != 3 || r != 3 || u != 3 || d != 3) && (l != 4 && r != 4 && u != 4 && d != 4))
                    code = Shore;
                else if (c != 4 && (l == 4 || r == 4 || u == 4 || d == 4))
                    code = StateBorder;
            }
            if (code != None) {
                idx = uint8_t(LineWork | code);
            } else {
                bool grid = false, contour = false;
                if (sp.grid > 0) {
                    const QPointF w0 = m_spec.toWorld(x - 1, ay - 1);
                    const QPointF w1 = m_spec.toWorld(x, ay);
                    grid = std::floor(w0.x() / sp.grid) != std::floor(w1.x() / sp.grid) ||
                           std::floor(w0.y() / sp.grid) != std::floor(w1.y() / sp.grid);
                }
                if (sp.contour > 0 && c != 3 && c != 4) {
                    // The pixel nearer to the contour level of a pair that
                    // straddles it carries the line; every fifth line is
                    // an index contour, drawn on both pixels.
                    const double hp = height[k];
                    const double iv = sp.contour;
                    const std::size_t nb[4] = {k + 1, k - 1, k + PW, k - PW};
                    for (std::size_t q : nb) {
                        const double hq = height[q];
                        const double fp = std::floor(hp / iv), fq = std::floor(hq / iv);
                        if (fp == fq)
                            continue;
                        const double lev = std::max(fp, fq) * iv;
                        const bool index = std::fmod(lev, iv * 5) == 0;
                        if (index || std::fabs(hp - lev) <= std::fabs(hq - lev)) {
                            contour = true;
                            break;
                        }
                    }
                }
                if (grid)
                    idx = uint8_t(GridBit | idx);
                else if (contour)
                    idx = uint8_t(ContourBit | idx);
            }
            if (qRed(nameRow[x]) > 127)
                idx = uint8_t(NameBit | idx);
            row[x] = idx;
        }
    }
}

QImage MapRenderer::render() const {
    QImage img(m_spec.width, m_spec.height, QImage::Format_Indexed8);
    const auto pal = palette();
    img.setColorTable(QList<QRgb>(pal.begin(), pal.end()));
    const int bandRows = 256;
    for (int y0 = 0; y0 < m_spec.height; y0 += bandRows) {
        const int rows = std::min(bandRows, m_spec.height - y0);
        renderBand(y0, rows, img.scanLine(y0), std::size_t(img.bytesPerLine()));
    }
    return img;
}
