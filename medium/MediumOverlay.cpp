#include "MediumOverlay.h"

#include "DrawTreeItem.h"
#include "OverlayFileTypes.h"
#include "QvoFormat.h"
#include "StdDrawStrategies.h"
#include "SymbolIcon.h"
#include "World.h"
#include "XML_StreamTarget.h"

#include <QTreeWidgetItem>

#include <cmath>
#include <numbers>

namespace {

// A vertex as the drawing functions store it on the regional map:
// Gauss-Krüger of the world's strip, northing first.
Coord vertex(QPointF p) {
    Coord c;
    c.type = 1;
    c.zone = WorldSpec::zone;
    c.x = p.y();
    c.y = p.x();
    return c;
}

QTreeWidgetItem* folder(QTreeWidgetItem* parent, const QString& name) {
    auto* node = new DrawTreeNode(new DrawTreeFolder, 2);
    node->setText(0, name);
    parent->addChild(node);
    return node;
}

void element(QTreeWidgetItem* parent, const StdDrawAppearance& appearance, std::list<Coord> points, const QString& name,
             bool closed = false) {
    auto geometry = std::make_unique<StdDrawObject>();
    geometry->points = std::move(points);
    geometry->setClosed(closed);
    auto* node = new DrawTreeNode(new DrawTreeObject(appearance, geometry), 0);
    node->setText(0, name);
    parent->addChild(node);
}

StdDrawAppearance look(const StdDrawStrategy& strategy) {
    StdDrawAppearance a = strategy.defaultAppearance();
    a.strategy = &strategy;
    return a;
}

} // namespace

bool writeDemoOverlay(const World& world, const QString& fileName) {
    StdDrawStrategies::bindDefaultAppearances();
    const GkBox& region = world.spec().region;
    QTreeWidgetItem root;

    // The largest place: a circle of its built-up area and its name above it.
    const Settlement* town = nullptr;
    for (const Settlement& s : world.settlements)
        if (region.contains(s.pos) && (!town || s.rank < town->rank))
            town = &s;
    QTreeWidgetItem* places = nullptr;
    if (town) {
        places = folder(&root, QStringLiteral("Orte"));
        StdDrawAppearance circle = look(StdDrawSymbolStrategy::instance());
        circle.sides = 0;
        circle.length = std::max(150.0, town->radius);
        circle.lengthInMetres = true;
        circle.lineColor = 0x0000FF; // red
        circle.fillStyle = 1;        // clear
        element(places, circle, {vertex(town->pos)}, town->name);
        StdDrawAppearance label = look(StdDrawTextStrategy::instance());
        label.text = town->name + QStringLiteral("\nStadtmitte");
        element(places, label, {vertex(town->pos + QPointF(0, circle.length + 250))}, QStringLiteral("Ortsname"));
    }

    QTreeWidgetItem* water = folder(&root, QStringLiteral("Gewässer"));
    // The longest stretch of a river inside the region, every few points.
    const River* river = nullptr;
    size_t inside = 0;
    for (const River& r : world.rivers) {
        size_t n = 0;
        for (const QPointF& p : r.points)
            n += region.contains(p) ? 1 : 0;
        if (n > inside) {
            inside = n;
            river = &r;
        }
    }
    if (river && inside >= 2) {
        std::list<Coord> points;
        const size_t step = std::max<size_t>(1, inside / 40);
        size_t k = 0;
        for (const QPointF& p : river->points)
            if (region.contains(p) && k++ % step == 0)
                points.push_back(vertex(p));
        StdDrawAppearance line = look(StdDrawLineAreaStrategy::instance());
        line.lineColor = 0xFF8000; // blue-ish: red 0x00, green 0x80, blue 0xFF
        line.lineWidth = 4;
        line.lineStyle = 1;
        element(water, line, std::move(points), river->name);
    }
    // The largest lake inside the region as a hatched area of its size.
    const Lake* lake = nullptr;
    for (const Lake& l : world.lakes)
        if (region.contains(l.centre) && (!lake || l.area > lake->area))
            lake = &l;
    // Without a lake in the region the built-up area of the largest place
    // stands in for it.
    QPointF centre;
    double radius = 0;
    QString areaName;
    if (lake) {
        centre = lake->centre;
        radius = std::max(100.0, std::sqrt(lake->area * 1e6 / std::numbers::pi));
        areaName = lake->name;
    } else if (town) {
        centre = town->pos;
        radius = std::max(150.0, town->radius);
        areaName = QStringLiteral("Bebaute Fläche ") + town->name;
    }
    if (radius > 0) {
        std::list<Coord> ring;
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * std::numbers::pi * i / 16;
            ring.push_back(vertex(centre + QPointF(radius * std::cos(a), radius * std::sin(a))));
        }
        StdDrawAppearance area = look(StdDrawLineAreaStrategy::instance());
        area.lineColor = 0xC00000;
        area.fillColor = 0xFFC080;
        area.fillStyle = 6; // cross
        area.hasBackColor = true;
        area.backColor = 0xFFFFFF;
        element(lake ? water : places, area, std::move(ring), areaName, true);
    }

    QTreeWidgetItem* sights = folder(&root, QStringLiteral("Sehenswertes"));
    for (const Poi& poi : world.pois) {
        if (poi.category != 4 || !region.contains(poi.pos))
            continue;
        StdDrawAppearance picture = look(StdDrawBitmapIconStrategy::instance());
        picture.icon = SymbolIcon::resolveIcon(QStringLiteral("002Burg.bmp"), true);
        element(sights, picture, {vertex(poi.pos)}, poi.name);
        break;
    }
    // The highest named peak, else the highest point of the terrain.
    const Peak* peak = nullptr;
    for (const Peak& p : world.peaks)
        if (region.contains(p.pos) && (!peak || p.height > peak->height))
            peak = &p;
    QPointF top;
    QString topName;
    if (peak) {
        top = peak->pos;
        topName = peak->name.isEmpty() ? QStringLiteral("Gipfel") : peak->name;
    } else {
        double best = -1e9;
        for (double n = region.n0 + 250; n < region.n1; n += 250)
            for (double e = region.e0 + 250; e < region.e1; e += 250)
                if (const double h = world.ground(e, n); h > best) {
                    best = h;
                    top = QPointF(e, n);
                }
        topName = QStringLiteral("Höchster Punkt (%1 m)").arg(qRound(best));
    }
    StdDrawAppearance mark = look(StdDrawSymbolStrategy::instance());
    mark.length = 12;
    mark.fillStyle = 0;
    mark.fillColor = 0x00A0FF;
    element(sights, mark, {vertex(top)}, topName);

    Modul::UserDraw::FileTypes::SaveQVO saver;
    std::unique_ptr<XML_StreamTarget> target = saver.open(fileName);
    if (!target)
        return false;
    target->startDocument();
    UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, &root, *target);
    const bool ok = target->close(true);
    return saver.finish(fileName, ok, std::move(target));
}
