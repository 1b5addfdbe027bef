// Writes the seed corpus of the overlay fuzz targets with our own writers:
// "qvo" gives overlay files, "gpx" GPX exports of the same trees.
//   overlay_fuzz_seeds DIR qvo|gpx
#include "OverlayFuzzSupport.h"

#include "DrawTreeItem.h"
#include "GpxFormat.h"
#include "SymbolIcon.h"

#include <QDir>
#include <QFile>

#include <iostream>

namespace {

Coord point(uint32_t type, double x, double y, uint32_t zone = 0) {
    Coord c;
    c.type = type;
    c.zone = zone;
    c.x = x;
    c.y = y;
    return c;
}

void add(QTreeWidgetItem* parent, const StdDrawStrategy& strategy, std::list<Coord> points, const QString& name,
         bool closed = false, const QString& text = QString()) {
    StdDrawAppearance a;
    a.strategy = &strategy;
    a.text = text;
    a.hasBackColor = closed;
    a.lengthInMetres = !closed;
    if (strategy.hasIcon())
        a.icon = SymbolIcon::resolveIcon(QStringLiteral("012Burg.bmp"), true);
    auto geometry = std::make_unique<StdDrawObject>();
    geometry->points = std::move(points);
    geometry->setClosed(closed);
    auto* node = new DrawTreeNode(new DrawTreeObject(a, geometry), 0);
    node->setText(0, name);
    parent->addChild(node);
}

QTreeWidgetItem* folder(QTreeWidgetItem* parent, const QString& name) {
    auto* node = new DrawTreeNode(new DrawTreeFolder, 2);
    node->setText(0, name);
    parent->addChild(node);
    return node;
}

// Three trees: empty, one of every kind with folders, and a long track.
std::vector<std::unique_ptr<QTreeWidgetItem>> trees() {
    std::vector<std::unique_ptr<QTreeWidgetItem>> list;
    list.push_back(std::make_unique<QTreeWidgetItem>());

    auto all = std::make_unique<QTreeWidgetItem>();
    QTreeWidgetItem* f = folder(all.get(), QStringLiteral("Wanderung Süd"));
    add(f, StdDrawSymbolStrategy::instance(), {point(1, 5400000, 3500000, 3)}, QStringLiteral("Turm"));
    add(folder(f, QStringLiteral("innen")), StdDrawTextStrategy::instance(), {point(3, 7.5, 48.5)},
        QStringLiteral("Text"), false, QStringLiteral("Zeile 1\r\nZeile <2> & 'drei'"));
    add(all.get(), StdDrawLineAreaStrategy::instance(),
        {point(1, 5400000, 3500000, 3), point(1, 5400100, 3500000, 3), point(1, 5400100, 3500100, 3)},
        QStringLiteral("Fläche"), true);
    add(all.get(), StdDrawBitmapIconStrategy::instance(), {point(2, 8.25, 49.0)}, QStringLiteral("Burg"));
    add(all.get(), StdDrawLineAreaStrategy::instance(), {point(3, 7.0, 48.0), point(3, 7.1, 48.1)},
        QStringLiteral("Linie"));
    list.push_back(std::move(all));

    auto track = std::make_unique<QTreeWidgetItem>();
    std::list<Coord> points;
    for (int i = 0; i < 200; ++i)
        points.push_back(point(3, 7.0 + i * 0.001, 48.0 + (i % 7) * 0.0005));
    add(track.get(), StdDrawLineAreaStrategy::instance(), points, QStringLiteral("Spur"));
    list.push_back(std::move(track));
    return list;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[2]) != "qvo" && std::string(argv[2]) != "gpx")) {
        std::cerr << "usage: overlay_fuzz_seeds DIR qvo|gpx\n";
        return 2;
    }
    OverlayFuzz::initialise();
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const bool gpx = std::string(argv[2]) == "gpx";
    OverlayFuzz::Colours colours;
    colours.text = QStringLiteral("ColorA=FFFFFF,ColorB=0080FF");
    int n = 0;
    for (const auto& tree : trees()) {
        std::string bytes;
        if (gpx) {
            char* buffer = nullptr;
            size_t size = 0;
            {
                UserDraw::ConverterQVOtoGPX converter(
                    std::make_unique<XML_StreamWriter>(open_memstream(&buffer, &size)));
                converter.startDocument();
                UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, tree.get(), converter);
                converter.close(true);
            }
            bytes.assign(buffer, size);
            std::free(buffer);
        } else {
            bytes = OverlayFuzz::writeTree(*tree, &colours);
        }
        QFile file(dir + QStringLiteral("/ours-%1.%2").arg(++n).arg(QString::fromLatin1(argv[2])));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::cerr << "cannot write " << file.fileName().toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}
