#pragma once

#include "MapEvents.h"

#include <QImage>
#include <QPainter>

#include <memory>

// A paint event on a QImage over a flat Gauss-Krüger map: window pixel
// (0, 0) at (east0, north0), `metres` per pixel, y growing southwards.
// Positions of type 99 cannot be converted, like a place outside every map.
class PaintTarget : public MapEventInfo {
public:
    static constexpr uint32_t Unconvertible = 99;

    explicit PaintTarget(QSize size = QSize(200, 200), QRect view = QRect())
        : image(size, QImage::Format_RGB32), m_view(view.isNull() ? QRect(QPoint(0, 0), size) : view) {
        image.fill(Qt::white);
    }

    // Starts painting; the painter stays open until end().
    QPainter& begin() {
        painter = std::make_unique<QPainter>(&image);
        canvas = painter.get();
        return *painter;
    }
    QImage& end() {
        painter.reset();
        canvas = nullptr;
        return image;
    }

    QRect ViewRect() const override { return m_view; }
    bool Transform(const Coord& from, Coord& to) const override {
        if (from.type == Unconvertible)
            return false;
        double north = from.x;
        double east = from.y;
        if ((from.type & ~0x30u) == 0xC001) { // with or without the option bits
            east = east0 + from.x * metres;
            north = north0 - from.y * metres;
        }
        if (to.type == 0xC001) {
            to.x = (east - east0) / metres;
            to.y = (north0 - north) / metres;
            return true;
        }
        if (to.type == 1) {
            to.x = north;
            to.y = east;
            return true;
        }
        return false;
    }

    // A Gauss-Krüger position at window pixel (x, y).
    Coord at(double x, double y) const {
        Coord c{};
        c.type = 1;
        c.x = north0 - y * metres;
        c.y = east0 + x * metres;
        return c;
    }

    QImage image;
    std::unique_ptr<QPainter> painter;
    double east0 = 3500000.0;
    double north0 = 5500000.0;
    double metres = 2.0;

private:
    QRect m_view;
};
