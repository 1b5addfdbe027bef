#include "DhmPath.h"

#include "DhmModel.h"
#include "velmar32.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

constexpr double ZoneBorder = 7.5; // longitude between strips 2 and 3

struct Geo {
    double lon = 0.0, lat = 0.0;
};

// A straight piece of a segment inside one strip.
struct Part {
    Geo from, to;
    int zone = 0;
};

int zoneOfLongitude(double lon) {
    return int(std::floor(lon / 3.0 + 0.5));
}

bool toGaussKrueger(const Geo& g, int zone, Coord& out) {
    Coord from{};
    from.type = 2;
    from.x = g.lon;
    from.y = g.lat;
    out = Coord{};
    out.type = 1;
    out.zone = uint32_t(std::max(zone, 0));
    return TLM_TransformCoords(&from, &out) == 1 && std::isfinite(out.x) && std::isfinite(out.y);
}

// The pieces of the segment a -> b: split where it crosses 7.5° E, the
// crossing interpolated linearly in geographic coordinates; each piece is
// measured in its own strip.
std::vector<Part> partsOf(const Geo& a, const Geo& b) {
    std::vector<Part> parts;
    if ((a.lon - ZoneBorder) * (b.lon - ZoneBorder) < 0.0) {
        const double t = (ZoneBorder - a.lon) / (b.lon - a.lon);
        const Geo c{ZoneBorder, a.lat + t * (b.lat - a.lat)};
        parts.push_back({a, c, zoneOfLongitude((a.lon + c.lon) / 2)});
        parts.push_back({c, b, zoneOfLongitude((c.lon + b.lon) / 2)});
    } else {
        parts.push_back({a, b, zoneOfLongitude((a.lon + b.lon) / 2)});
    }
    return parts;
}

double partLength(const Part& part, Coord& from, Coord& to, bool& ok) {
    ok = toGaussKrueger(part.from, part.zone, from) && toGaussKrueger(part.to, part.zone, to);
    return ok ? std::hypot(to.x - from.x, to.y - from.y) : 0.0;
}

QString printf1(const char* format, double value) {
    return QString::asprintf(format, value);
}

} // namespace

// --- DHM_DistanceUnit ---

DHM_DistanceUnit DHM_DistanceUnit::forTotal(double total) {
    DHM_DistanceUnit unit;
    if (total >= 1000000.0) {
        unit.metres = 1000000.0;
        unit.text = QStringLiteral(" tkm");
    } else if (total >= 1000.0) {
        unit.metres = 1000.0;
        unit.text = QStringLiteral(" km");
    } else {
        unit.metres = 1.0;
        unit.text = QStringLiteral(" m");
    }
    const double units = total / unit.metres;
    unit.format = units >= 100.0 ? "%.0f" : units >= 10.0 ? "%.1f" : "%.2f";
    return unit;
}

QString DHM_DistanceUnit::number(double m) const {
    return printf1(format, m / metres);
}

// --- DHM_Path ---

bool DHM_Path::addPoint(const Coord& position) {
    Coord geo{};
    geo.type = 2;
    Coord from = position;
    if (TLM_TransformCoords(&from, &geo) != 1 || !std::isfinite(geo.x) || !std::isfinite(geo.y))
        return false;
    DHM_Point point;
    point.longitude = geo.x;
    point.latitude = geo.y;
    if (!m_points.empty()) {
        const DHM_Point& last = m_points.back();
        double length = 0.0;
        for (const Part& part : partsOf({last.longitude, last.latitude}, {geo.x, geo.y})) {
            Coord a, b;
            bool ok = false;
            length += partLength(part, a, b, ok);
            if (!ok)
                return false;
        }
        point.distance = float(double(last.distance) + length);
    }
    m_points.push_back(point);
    return true;
}

std::vector<DHM_Sample> DHM_Path::samples(int plotWidth) const {
    std::vector<DHM_Sample> out;
    if (m_points.empty())
        return out;
    const bool bilinear = (flags & Bilinear) != 0;
    auto heightAt = [&](const Coord& p) { return m_model ? m_model->height(p, bilinear) : 0; };
    const double total = horizontalLength();
    const double step = (flags & SupportPoints) && plotWidth > 0 && total > 0.0 ? 2.0 * total / plotWidth : 0.0;

    Coord last{};
    bool haveLast = false;
    for (std::size_t i = 0; i + 1 < m_points.size(); ++i) {
        const DHM_Point& a = m_points[i];
        const DHM_Point& b = m_points[i + 1];
        double distance = a.distance;
        for (const Part& part : partsOf({a.longitude, a.latitude}, {b.longitude, b.latitude})) {
            Coord from, to;
            bool ok = false;
            const double length = partLength(part, from, to, ok);
            if (!ok)
                continue;
            const int n = step > 0.0 ? std::clamp(int(std::ceil(length / step)), 1, 100000) : 1;
            for (int k = 0; k < n; ++k) {
                const double t = double(k) / n;
                DHM_Sample s;
                s.distance = distance + t * length;
                s.position = from;
                s.position.x = from.x + t * (to.x - from.x);
                s.position.y = from.y + t * (to.y - from.y);
                s.height = heightAt(s.position);
                out.push_back(s);
            }
            distance += length;
            last = to;
            haveLast = true;
        }
    }
    const DHM_Point& end = m_points.back();
    DHM_Sample s;
    s.distance = end.distance;
    if (!haveLast && !toGaussKrueger({end.longitude, end.latitude}, zoneOfLongitude(end.longitude), last))
        return out;
    s.position = last;
    s.height = heightAt(last);
    out.push_back(s);
    return out;
}

DHM_Path::Totals DHM_Path::totals(const std::vector<DHM_Sample>& samples) {
    Totals t;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const DHM_Sample &p = samples[i - 1], &s = samples[i];
        const double dd = s.distance - p.distance;
        if (p.height == 0 || s.height == 0) {
            t.length += dd;
            continue;
        }
        const double dh = s.height - p.height;
        const double segment = std::sqrt(dd * dd + (dh / 10.0) * (dh / 10.0));
        t.length += segment;
        if (dh > 0) {
            t.rise += dh;
            t.riseLength += segment;
        } else if (dh < 0) {
            t.fall -= dh;
            t.fallLength += segment;
        }
    }
    return t;
}

std::pair<int, int> DHM_Path::heightRange(const std::vector<DHM_Sample>& samples) {
    int minimum = 30000, maximum = 100;
    for (const DHM_Sample& s : samples) {
        if (s.height == 0)
            continue;
        minimum = std::min(minimum, s.height);
        maximum = std::max(maximum, s.height);
    }
    minimum = int(std::floor(minimum / 100.0)) * 100;
    maximum = int(std::ceil(maximum / 100.0)) * 100;
    if (maximum <= minimum)
        minimum = maximum - 100;
    return {minimum, maximum};
}

int DHM_Path::heightStep(int textHeight, int plotHeight, int range) {
    if (plotHeight <= 0)
        return 100;
    double s = double(textHeight + 1) / plotHeight * range;
    int factor = 1;
    while (s >= 500.0 && factor < 100000000) {
        s /= 10.0;
        factor *= 10;
    }
    return (s < 100.0 ? 100 : s < 200.0 ? 200 : 500) * factor;
}

// The steepness rounded to whole percent. (Adding a half before a rounding
// format would show 2.3 % as 3 %.)
QString DHM_Path::gradientText(double heightDifference, double segmentLength) {
    if (segmentLength <= 0.0)
        return {};
    return QString::asprintf("%.0f%%", std::abs(heightDifference) * 10.0 / segmentLength);
}

DHM_Graph DHM_Path::draw(QPainter& canvas, const QRect& rect,
                         const std::optional<std::pair<int, int>>& fixedRange) const {
    DHM_Graph graph;
    const QColor ink = inverted ? Qt::white : Qt::black;
    const QColor paper = inverted ? Qt::black : Qt::white;
    const QFontMetrics fm = canvas.fontMetrics();
    const int th = fm.height();
    const int cw = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    canvas.save();
    canvas.setPen(ink);
    canvas.setBrush(Qt::NoBrush);

    if (m_points.size() < 2) {
        graph.messages = {
            m_points.empty() ? QStringLiteral("Keine Punkte markiert") : QStringLiteral("Nur ein Punkt markiert"),
            QStringLiteral("Keine Anzeige möglich."), QString(), QStringLiteral("Zum Erfassen der Stützpunkte"),
            QStringLiteral("klicken Sie bitte in die Karte.")};
        int y = rect.center().y() - int(graph.messages.size()) * th / 2;
        for (const QString& line : graph.messages) {
            canvas.drawText(QRect(rect.left(), y, rect.width(), th), Qt::AlignHCenter | Qt::AlignTop, line);
            y += th;
        }
        canvas.restore();
        return graph;
    }

    const bool statistics = (flags & Statistics) != 0;
    const QString heightTitle = QStringLiteral("Höhe (m)");
    const QString distanceTitle = QStringLiteral("Wegstrecke");
    const int left = 5 * cw;
    const int bottom = (statistics ? 5 : 2) * th;
    const int top = 2 * th;
    const int right = fm.horizontalAdvance(distanceTitle) + 2 * cw;
    const QRect plot(rect.left() + left, rect.top() + top, rect.width() - left - right, rect.height() - top - bottom);
    if (plot.width() < 8 || plot.height() < 8) {
        canvas.restore();
        return graph;
    }
    graph.plot = plot;
    // Support points every 2 screen pixels: on a printer the graph is as
    // finely sampled as in the window (finer steps than the height grid
    // would only split slopes into flat pieces of whole decimetres, which
    // the statistics count neither as rise nor as fall).
    graph.samples = samples(int(plot.width() / std::max(1.0, lineScale)));
    const std::vector<DHM_Sample>& samples = graph.samples;
    const auto [minimum, maximum] = fixedRange ? *fixedRange : heightRange(samples);
    graph.minimum = minimum;
    graph.maximum = std::max(maximum, minimum + 1);
    const int range = graph.maximum - graph.minimum;
    graph.heightStep = heightStep(th, plot.height(), range);

    const double d0 = m_points.front().distance;
    const double dEnd = samples.empty() ? d0 : samples.back().distance;
    auto xOf = [&](double d) {
        return dEnd > d0 ? plot.left() + int(std::lround((d - d0) / (dEnd - d0) * plot.width())) : plot.left();
    };
    auto yOf = [&](int h) {
        return plot.bottom() - int(std::lround(double(h - graph.minimum) * plot.height() / range));
    };
    const int thin = std::max(1, int(std::lround(lineScale)));
    const int tick = std::max(3, int(std::lround(3 * lineScale)));
    const int firstLabel = int(std::ceil(double(graph.minimum) / graph.heightStep)) * graph.heightStep;

    // Helper lines at every height step.
    if (flags & HelperLines) {
        QPen dotted(ink, thin, Qt::DotLine);
        canvas.setPen(dotted);
        for (int h = firstLabel; h <= graph.maximum; h += graph.heightStep)
            canvas.drawLine(plot.left(), yOf(h), plot.right(), yOf(h));
    }

    // The graph, its length and the sums of rises and falls.
    QPen pen(inverted ? QColor(Qt::white) : colour, std::max(1, penWidth), penStyle);
    canvas.setPen(pen);
    QPolygon line;
    auto flush = [&] {
        if (line.size() == 1)
            canvas.drawPoint(line[0]);
        else if (line.size() > 1)
            canvas.drawPolyline(line);
        if (!line.isEmpty())
            ++graph.lines;
        line.clear();
    };
    const bool percentages = (flags & InterpolationMask) == Percentages;
    struct Label {
        QPoint at;
        QString text;
    };
    std::vector<Label> gradients;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const DHM_Sample& s = samples[i];
        if (i > 0 && percentages) {
            const DHM_Sample& p = samples[i - 1];
            if (p.height != 0 && s.height != 0) {
                const double dd = s.distance - p.distance, dh = s.height - p.height;
                const QString text = gradientText(dh, std::sqrt(dd * dd + (dh / 10.0) * (dh / 10.0)));
                const int x0 = xOf(p.distance), x1 = xOf(s.distance);
                if (!text.isEmpty() && fm.horizontalAdvance(text) < std::abs(x1 - x0)) {
                    const int y = (yOf(p.height) + yOf(s.height)) / 2;
                    gradients.push_back({QPoint((x0 + x1) / 2 - fm.horizontalAdvance(text) / 2, y - 3), text});
                    graph.gradientLabels << text;
                }
            }
        }
        if (s.height == 0) {
            flush();
            continue;
        }
        line << QPoint(xOf(s.distance), yOf(s.height));
    }
    flush();
    const Totals sums = totals(samples);
    graph.pathLength = d0 + sums.length;
    graph.rise = sums.rise;
    graph.riseLength = sums.riseLength;
    graph.fall = sums.fall;
    graph.fallLength = sums.fallLength;
    canvas.setPen(ink);
    for (const Label& label : gradients)
        canvas.drawText(label.at, label.text);

    // The margins are cleared, so that a thick line ends at the axes.
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(paper);
    canvas.drawRect(QRect(rect.left(), rect.top(), rect.width(), plot.top() - rect.top()));
    canvas.drawRect(QRect(rect.left(), plot.bottom() + 1, rect.width(), rect.bottom() - plot.bottom()));
    canvas.drawRect(QRect(rect.left(), plot.top(), plot.left() - rect.left(), plot.height()));
    canvas.drawRect(QRect(plot.right() + 1, plot.top(), rect.right() - plot.right(), plot.height()));
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(ink, thin));

    // Axes with arrow heads.
    const int arrow = std::max(3, cw / 2);
    canvas.drawLine(plot.left(), plot.bottom(), plot.right() + arrow, plot.bottom());
    canvas.drawLine(plot.left(), plot.bottom(), plot.left(), plot.top() - arrow);
    canvas.setBrush(ink);
    canvas.drawPolygon(
        QPolygon({QPoint(plot.right() + 2 * arrow, plot.bottom()), QPoint(plot.right(), plot.bottom() - arrow),
                  QPoint(plot.right(), plot.bottom() + arrow)}));
    canvas.drawPolygon(QPolygon({QPoint(plot.left(), plot.top() - 2 * arrow), QPoint(plot.left() - arrow, plot.top()),
                                 QPoint(plot.left() + arrow, plot.top())}));
    canvas.setBrush(Qt::NoBrush);

    // Height labels with ticks.
    for (int h = firstLabel; h <= graph.maximum; h += graph.heightStep) {
        const int y = yOf(h);
        const QString text = QString::asprintf("%d", h / 10);
        graph.heightLabels << text;
        canvas.drawLine(plot.left() - tick, y, plot.left(), y);
        canvas.drawText(QRect(rect.left(), y - th / 2, left - std::max(tick, arrow) - 2, th),
                        Qt::AlignRight | Qt::AlignVCenter, text);
    }
    // Axis titles.
    canvas.drawText(QRect(rect.left(), rect.top(), rect.width(), th), Qt::AlignLeft | Qt::AlignTop, heightTitle);
    canvas.drawText(QRect(plot.right() + 2 * arrow + cw / 2, plot.bottom() - th / 2, right, th),
                    Qt::AlignLeft | Qt::AlignVCenter, distanceTitle);

    // Distance labels: start, end, and in between the finest step whose
    // labels keep a character apart.
    const DHM_DistanceUnit unit = DHM_DistanceUnit::forTotal(graph.pathLength);
    const int labelTop = plot.bottom() + tick + 1;
    const QString startText = d0 == 0.0 ? QStringLiteral("0") : unit.number(d0);
    const QString endText = unit.number(graph.pathLength) + unit.text;
    const QRect startRect(plot.left() - fm.horizontalAdvance(startText) / 2, labelTop, fm.horizontalAdvance(startText),
                          th);
    const QRect endRect(plot.right() - fm.horizontalAdvance(endText) + fm.horizontalAdvance(unit.text) / 2, labelTop,
                        fm.horizontalAdvance(endText), th);
    canvas.drawText(startRect, Qt::AlignLeft | Qt::AlignTop, startText);
    graph.distanceLabels << startText;
    QStringList middle;
    static const double steps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500};
    const double totalUnits = (dEnd - d0) / unit.metres;
    for (double step : steps) {
        const char* format = step < 1.0 ? "%.1f" : "%.0f";
        const double pixels = dEnd > d0 ? step * unit.metres / (dEnd - d0) * plot.width() : 0.0;
        const int widest = fm.horizontalAdvance(printf1(format, (d0 / unit.metres) + totalUnits)) + cw;
        if (pixels < widest)
            continue;
        for (int k = int(std::floor(d0 / unit.metres / step)) + 1;; ++k) {
            const double value = k * step;
            if (value * unit.metres >= dEnd)
                break;
            const QString text = printf1(format, value);
            const int x = xOf(value * unit.metres);
            const QRect r(x - fm.horizontalAdvance(text) / 2, labelTop, fm.horizontalAdvance(text), th);
            const QRect spaced = r.adjusted(-cw / 2, 0, cw / 2, 0);
            canvas.drawLine(x, plot.bottom(), x, plot.bottom() + tick);
            if (spaced.intersects(startRect) || spaced.intersects(endRect))
                continue;
            canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, text);
            middle << text;
        }
        break;
    }
    graph.distanceLabels << middle;
    canvas.drawText(endRect, Qt::AlignLeft | Qt::AlignTop, endText);
    graph.distanceLabels << endText;

    if (statistics) {
        graph.statistics << QString::asprintf("Anstieg: %ld m auf ", long(graph.rise / 10.0)) +
                                unit.number(graph.riseLength) + unit.text;
        graph.statistics << QString::asprintf("Abstieg: %ld m auf ", long(graph.fall / 10.0)) +
                                unit.number(graph.fallLength) + unit.text;
        canvas.drawText(QRect(rect.left(), rect.bottom() + 1 - 3 * th, rect.width(), th),
                        Qt::AlignHCenter | Qt::AlignTop, graph.statistics[0]);
        canvas.drawText(QRect(rect.left(), rect.bottom() + 1 - 2 * th, rect.width(), th),
                        Qt::AlignHCenter | Qt::AlignTop, graph.statistics[1]);
    }
    canvas.restore();
    return graph;
}
