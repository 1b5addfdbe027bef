#include "MediumWriter.h"

#include "MediumOverlay.h"

#include "Cp1252.h"
#include "GaussKrueger.h"
#include "TlmWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>

MediumWriter::MediumWriter(const World& world, QString directory) : m_world(world), m_dir(std::move(directory)) {}

QString MediumWriter::regionalMapName(int cdNumber) {
    return QStringLiteral("AREA") + QString::number(cdNumber) + QStringLiteral("330.TLM");
}

QString MediumWriter::path(const QString& relative) const {
    return QDir(m_dir).filePath(relative);
}

bool MediumWriter::fail(const QString& message) {
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool MediumWriter::write() {
    for (const char* sub : {"KARTEN", "DATEN", "DATEN/INFO", "SYMBOLE", "BILDER"}) {
        if (!QDir().mkpath(path(QString::fromLatin1(sub))))
            return fail(
                QStringLiteral("Verzeichnis %1 kann nicht angelegt werden").arg(path(QString::fromLatin1(sub))));
    }
    const WorldSpec& ws = m_world.spec();
    return writeStartFile() &&
           writeMap(MapSpec::regional(ws), QStringLiteral("KARTEN/") + regionalMapName(ws.cdNumber), true,
                    TlmWriter::Bzip2) &&
           writeMap(MapSpec::overview250(ws), QStringLiteral("KARTEN/UEB_0250.TLM"), true, TlmWriter::Bzip2) &&
           writeMap(MapSpec::overview1600(ws), QStringLiteral("KARTEN/UEB_1600.TLM"), true, TlmWriter::Bzip2) &&
           writeMap(MapSpec::overviewLand(ws), QStringLiteral("KARTEN/OV_LAND.TLM"), false, TlmWriter::RunLength) &&
           writeMap(MapSpec::overviewRegion(ws), QStringLiteral("KARTEN/OV_CD.TLM"), false, TlmWriter::RunLength) &&
           writeDem(2, QStringLiteral("DATEN/dgm2.tlm")) && writeDem(3, QStringLiteral("DATEN/dgm3.tlm")) &&
           writePlaces() && writePois() && writeBoundaries() && writeSymbols() && writeTitle() && writeAutoload();
}

bool MediumWriter::writeAutoload() {
    if (progress)
        progress(QStringLiteral("DATEN/autoload.qvo"));
    const QString file = path(QStringLiteral("DATEN/autoload.qvo"));
    return writeDemoOverlay(m_world, file) || fail(QStringLiteral("%1 kann nicht geschrieben werden").arg(file));
}

bool MediumWriter::writeStartFile() {
    // The default centre: the largest place of the region, else its middle.
    const WorldSpec& ws = m_world.spec();
    QPointF centre((ws.region.e0 + ws.region.e1) / 2, (ws.region.n0 + ws.region.n1) / 2);
    int bestRank = 99;
    for (const Settlement& s : m_world.settlements) {
        if (s.rank < bestRank && ws.region.contains(s.pos)) {
            bestRank = s.rank;
            centre = s.pos;
        }
    }
    QSaveFile f(path(QStringLiteral("KARTEN/CD.TXT")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(QStringLiteral("KARTEN/CD.TXT kann nicht geschrieben werden"));
    const QByteArray text = QByteArray::number(ws.cdNumber) + "\n" +
                            QByteArray::number(std::round(centre.x()), 'f', 0) + "\n" +
                            QByteArray::number(std::round(centre.y()), 'f', 0) + "\n";
    f.write(text);
    if (!f.commit())
        return fail(QStringLiteral("KARTEN/CD.TXT kann nicht geschrieben werden"));
    return true;
}

bool MediumWriter::writeMap(const MapSpec& spec, const QString& relative, bool chunked, uint32_t compression) {
    if (progress)
        progress(QStringLiteral("%1 %2 x %3").arg(relative).arg(spec.width).arg(spec.height));
    MapRenderer renderer(m_world, spec);
    TlmWriter::Options o;
    o.variant = chunked ? TlmWriter::Variant::C : TlmWriter::Variant::B;
    o.compression = compression;
    o.tileWidth = 256;
    o.tileHeight = 256;
    o.bitCount = 8;
    for (QRgb c : renderer.palette()) {
        RgbQuad q;
        q.red = uint8_t(qRed(c));
        q.green = uint8_t(qGreen(c));
        q.blue = uint8_t(qBlue(c));
        o.palette.push_back(q);
    }
    if (chunked) {
        for (const MapPalette::Layer& l : MapPalette::layers(spec.style)) {
            LayerEntry e;
            e.mask = l.mask;
            e.low = l.low;
            e.high = l.high;
            e.name = Cp1252::encode(l.name);
            o.layers.push_back(e);
        }
    }
    // Bounding box in strip 3: eastings of the left and right edge,
    // northings of the top and bottom edge.
    o.georef.kind = 1;
    o.georef.zone = WorldSpec::zone;
    o.georef.r[0] = spec.box.e0;
    o.georef.r[1] = spec.box.e1;
    o.georef.r[2] = spec.box.n1;
    o.georef.r[3] = spec.box.n0;
    TlmWriter w(path(relative).toStdString(), spec.width, spec.height, o);
    if (!w.begin())
        return fail(relative + QStringLiteral(": ") + QString::fromStdString(w.error()));
    const int band = 256;
    std::vector<uint8_t> rows(std::size_t(spec.width) * band);
    for (int y0 = 0; y0 < spec.height; y0 += band) {
        const int n = std::min(band, spec.height - y0);
        renderer.renderBand(y0, n, rows.data(), std::size_t(spec.width));
        if (!w.writeRows(rows.data(), n, std::size_t(spec.width)))
            return fail(relative + QStringLiteral(": ") + QString::fromStdString(w.error()));
    }
    if (!w.finish())
        return fail(relative + QStringLiteral(": ") + QString::fromStdString(w.error()));
    return true;
}

GkBox MediumWriter::demBox(int zone) const {
    const GkBox& r = m_world.spec().region;
    double e0 = 1e18, n0 = 1e18, e1 = -1e18, n1 = -1e18;
    // The region's outline in the other strip is slightly turned and bent:
    // take the box of points along all four edges.
    for (int k = 0; k <= 16; ++k) {
        const double t = k / 16.0;
        const QPointF pts[] = {{r.e0 + t * r.width(), r.n0},
                               {r.e0 + t * r.width(), r.n1},
                               {r.e0, r.n0 + t * r.height()},
                               {r.e1, r.n0 + t * r.height()}};
        for (const QPointF& p : pts) {
            double n = 0, e = 0;
            MediumGk::toZone(p.y(), p.x(), zone, n, e);
            e0 = std::min(e0, e);
            e1 = std::max(e1, e);
            n0 = std::min(n0, n);
            n1 = std::max(n1, n);
        }
    }
    const double s = DemSpacing;
    return {std::floor(e0 / s) * s, std::floor(n0 / s) * s, std::ceil(e1 / s) * s + s, std::ceil(n1 / s) * s + s};
}

bool MediumWriter::writeDem(int zone, const QString& relative) {
    const GkBox box = demBox(zone);
    const int w = int(std::lround(box.width() / DemSpacing));
    const int h = int(std::lround(box.height() / DemSpacing));
    if (progress)
        progress(QStringLiteral("%1 %2 x %3").arg(relative).arg(w).arg(h));
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::B;
    o.compression = TlmWriter::Bzip2;
    o.tileWidth = 128;
    o.tileHeight = 128;
    o.bitCount = 16;
    o.georef.kind = 1;
    o.georef.zone = int16_t(zone);
    o.georef.r[0] = box.e0;
    o.georef.r[1] = box.e1;
    o.georef.r[2] = box.n1;
    o.georef.r[3] = box.n0;
    TlmWriter writer(path(relative).toStdString(), w, h, o);
    if (!writer.begin())
        return fail(relative + QStringLiteral(": ") + QString::fromStdString(writer.error()));
    const GkBox& region = m_world.spec().region;
    std::vector<uint8_t> row(std::size_t(w) * 2);
    for (int y = 0; y < h; ++y) {
        // Pixel (x, y) holds the height of the lattice node at its top left
        // corner: easting R1 + 40 x, northing R3 - 40 y.
        const double n = box.n1 - y * DemSpacing;
        for (int x = 0; x < w; ++x) {
            const double e = box.e0 + x * DemSpacing;
            double n3 = 0, e3 = 0;
            MediumGk::toZone(n, e, WorldSpec::zone, n3, e3);
            uint16_t v = 0;
            if (region.contains(e3, n3)) {
                const double dm = std::round(m_world.surface(e3, n3) * 10.0);
                v = uint16_t(std::clamp(dm, 1.0, 65535.0));
            }
            row[std::size_t(x) * 2] = uint8_t(v);
            row[std::size_t(x) * 2 + 1] = uint8_t(v >> 8);
        }
        if (!writer.writeRows(row.data(), 1, row.size()))
            return fail(relative + QStringLiteral(": ") + QString::fromStdString(writer.error()));
    }
    if (!writer.finish())
        return fail(relative + QStringLiteral(": ") + QString::fromStdString(writer.error()));
    return true;
}
