// Checks of a written medium (made once per test run by the fixture
// medium_make_small) through the project's own readers.
#include "Cp1252.h"
#include "GaussKrueger.h"
#include "HDBFile.h"
#include "HDBRecords.h"
#include "MediumWriter.h"
#include "TlmImage.h"
#include "World.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <tuple>

namespace {

// The medium of the fixture; VISTREL_TEST_MEDIUM names another one.
QString mediumDir() {
    const QByteArray dir = qgetenv("VISTREL_TEST_MEDIUM");
    return dir.isEmpty() ? QStringLiteral(VISTREL_TEST_MEDIUM_DIR) : QString::fromLocal8Bit(dir);
}

std::string file(const QString& relative) {
    return QDir(mediumDir()).filePath(relative).toStdString();
}

std::unique_ptr<TlmImage> openMap(const QString& relative) {
    return std::unique_ptr<TlmImage>(TlmImage::open(file(relative)));
}

struct Box {
    double e0, e1, n0, n1; // edges from the georeference
    bool contains(double e, double n, double tol = 0) const {
        return e >= e0 - tol && e <= e1 + tol && n >= n0 - tol && n <= n1 + tol;
    }
};

Box boxOf(const TlmImage& m) {
    const Georeference& g = m.georeference();
    return {g.r[0], g.r[1], g.r[3], g.r[2]};
}

// A stored position (any strip) in strip 3, the strip of the maps.
void toStrip3(double northing, double easting, double& n3, double& e3) {
    MediumGk::toZone(northing, easting, 3, n3, e3);
}

// Pixel (x, y) of a map: tiles row by row, lines inside a tile bottom-up.
std::vector<uint8_t> pixelBytes(TlmImage& m, int x, int y) {
    const int tw = m.tileWidth(), th = m.tileHeight();
    const int bpp = m.bitCount() / 8;
    std::vector<uint8_t> tile(std::size_t(tileStride(tw, m.bitCount())) * th);
    EXPECT_TRUE(m.readTile(x / tw, y / th, tile.data(), tile.size()));
    const std::size_t line = std::size_t(th - 1 - y % th);
    const uint8_t* p = tile.data() + line * std::size_t(tileStride(tw, m.bitCount())) + std::size_t(x % tw) * bpp;
    return std::vector<uint8_t>(p, p + bpp);
}

struct Table {
    std::shared_ptr<HDBFile> file;
    std::unique_ptr<HDBRecords> cursor;
    std::string text(const char* field) const {
        std::string s;
        const RowField* f = file->fieldByName(field);
        EXPECT_NE(f, nullptr) << field;
        if (f) {
            EXPECT_EQ(f->getString(*cursor, s), RowField::Ok);
        }
        return s;
    }
    double number(const char* field) const {
        double v = 0;
        const RowField* f = file->fieldByName(field);
        EXPECT_NE(f, nullptr) << field;
        if (f) {
            EXPECT_EQ(f->getDouble(*cursor, v), RowField::Ok);
        }
        return v;
    }
};

Table openTable(const QString& relative) {
    Table t;
    t.file = HDBFile::open(file(relative), MediumWriter::CodeWord);
    EXPECT_TRUE(t.file && t.file->isOpen()) << relative.toStdString();
    if (t.file)
        t.cursor = std::make_unique<HDBRecords>(t.file);
    return t;
}

} // namespace

TEST(MediumFiles, StartFileAndMapsAreConsistentlyGeoreferenced) {
    ASSERT_FALSE(mediumDir().isEmpty());
    FILE* f = std::fopen(file(QStringLiteral("KARTEN/CD.TXT")).c_str(), "r");
    ASSERT_NE(f, nullptr);
    int cd = 0;
    double easting = 0, northing = 0;
    ASSERT_EQ(std::fscanf(f, "%d\n%lf\n%lf", &cd, &easting, &northing), 3);
    std::fclose(f);
    ASSERT_GE(cd, 1);
    ASSERT_LE(cd, 5);

    auto regional = openMap(QStringLiteral("KARTEN/") + MediumWriter::regionalMapName(cd));
    ASSERT_TRUE(regional);
    EXPECT_EQ(regional->georeference().kind, 1);
    EXPECT_EQ(regional->georeference().zone, 3);
    EXPECT_EQ(regional->storedCompression(), 2u);
    const Box rb = boxOf(*regional);
    EXPECT_TRUE(rb.contains(easting, northing));
    EXPECT_NEAR((rb.e1 - rb.e0) / regional->imageWidth(), 2.5, 1e-9);
    EXPECT_NEAR((rb.n1 - rb.n0) / regional->imageHeight(), 2.5, 1e-9);
    EXPECT_GE(regional->imageWidth(), 2000);
    // The map straddles 7.5° E.
    double lonW = 0, lonE = 0, lat = 0;
    MediumGk::inverse(rb.n0, rb.e0, lonW, lat);
    MediumGk::inverse(rb.n0, rb.e1, lonE, lat);
    EXPECT_LT(lonW, 7.5);
    EXPECT_GT(lonE, 7.5);

    for (const char* name : {"UEB_0250.TLM", "UEB_1600.TLM", "OV_LAND.TLM", "OV_CD.TLM"}) {
        auto m = openMap(QStringLiteral("KARTEN/") + QString::fromLatin1(name));
        ASSERT_TRUE(m) << name;
        EXPECT_EQ(m->georeference().kind, 1) << name;
        EXPECT_EQ(m->georeference().zone, 3) << name;
        EXPECT_EQ(m->bitCount(), 8) << name;
        const Box b = boxOf(*m);
        // Every overview shows the whole region.
        EXPECT_TRUE(b.contains(rb.e0, rb.n0, 1e-6) && b.contains(rb.e1, rb.n1, 1e-6)) << name;
    }
    auto u250 = openMap(QStringLiteral("KARTEN/UEB_0250.TLM"));
    auto u1600 = openMap(QStringLiteral("KARTEN/UEB_1600.TLM"));
    ASSERT_TRUE(u250 && u1600);
    EXPECT_NEAR((boxOf(*u250).e1 - boxOf(*u250).e0) / u250->imageWidth(), 25.0, 1e-9);
    EXPECT_NEAR((boxOf(*u1600).e1 - boxOf(*u1600).e0) / u1600->imageWidth(), 160.0, 1e-9);
}

TEST(MediumFiles, RegionalMapLayersHoldTheirElements) {
    auto m = openMap(QStringLiteral("KARTEN/AREA1330.TLM"));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->layerCount(), 4);
    EXPECT_EQ(Cp1252::decode(m->layers()[0].name), QStringLiteral("Höhenlinien"));
    EXPECT_EQ(Cp1252::decode(m->layers()[1].name), QStringLiteral("Kilometergitter"));
    EXPECT_EQ(Cp1252::decode(m->layers()[2].name), QStringLiteral("Namen"));
    EXPECT_EQ(Cp1252::decode(m->layers()[3].name), QStringLiteral("Grundkarte"));
    // Count the pixels of each element over a band of tiles.
    long contour = 0, grid = 0, names = 0, lines = 0, zero = 0;
    const int tw = m->tileWidth(), th = m->tileHeight();
    std::vector<uint8_t> tile(std::size_t(tileStride(tw, 8)) * th);
    const int tilesX = (m->imageWidth() - 1) / tw + 1, tilesY = (m->imageHeight() - 1) / th + 1;
    for (int ty = 0; ty < tilesY; ty += 3) {
        for (int tx = 0; tx < tilesX; ++tx) {
            ASSERT_TRUE(m->readTile(tx, ty, tile.data(), tile.size()));
            for (uint8_t v : tile) {
                contour += (v & 0x60) == 0x20;
                grid += (v & 0x60) == 0x40;
                lines += (v & 0x60) == 0x60;
                names += (v & 0x80) != 0;
                zero += v == 0;
            }
        }
    }
    EXPECT_GT(contour, 1000);
    EXPECT_GT(grid, 1000);
    EXPECT_GT(names, 1000);
    EXPECT_GT(lines, 1000);
    // Hiding a layer through the map library's palette filter gives its
    // pixels the colour of what lies beneath.
    const std::vector<RgbQuad> shown = m->palette();
    std::vector<RgbQuad> hidden = shown;
    m->applyLayerMask(0b1010, m->tileHeader(), hidden); // contours and names off
    for (int b = 0; b < 32; ++b) {
        EXPECT_EQ(hidden[std::size_t(0x20 | b)], shown[std::size_t(b)]);
        EXPECT_EQ(hidden[std::size_t(0x40 | b)], shown[std::size_t(0x40 | b)]);
        EXPECT_EQ(hidden[std::size_t(0x80 | b)], shown[std::size_t(b)]);
    }
}

// Switching off contours, grid and names leaves the base map, on the
// regional maps and on the two layered overviews.
TEST(MediumFiles, BaseMapStaysWhenTheOtherLayersAreOff) {
    for (const char* file : {"KARTEN/AREA1330.TLM", "KARTEN/UEB_0250.TLM", "KARTEN/UEB_1600.TLM"}) {
        auto m = openMap(QString::fromLatin1(file));
        ASSERT_TRUE(m) << file;
        const int count = m->layerCount();
        ASSERT_GE(count, 3) << file;
        ASSERT_EQ(Cp1252::decode(m->layers()[std::size_t(count - 1)].name), QStringLiteral("Grundkarte")) << file;
        const std::vector<RgbQuad> shown = m->palette();
        std::vector<RgbQuad> baseOnly = shown;
        m->applyLayerMask(1u << (count - 1), m->tileHeader(), baseOnly);
        // Every ground colour and every line keeps its colour; the rest
        // shows the ground beneath it.
        for (int b = 0; b < 32; ++b) {
            EXPECT_EQ(baseOnly[std::size_t(b)], shown[std::size_t(b)]) << file << ' ' << b;
            EXPECT_EQ(baseOnly[std::size_t(0x60 | b)], shown[std::size_t(0x60 | b)]) << file << ' ' << b;
            EXPECT_EQ(baseOnly[std::size_t(0x40 | b)], shown[std::size_t(b)]) << file << ' ' << b;
            EXPECT_EQ(baseOnly[std::size_t(0x80 | b)], shown[std::size_t(b)]) << file << ' ' << b;
        }
    }
}

TEST(MediumFiles, ElevationModelsAgreeWithTheTerrain) {
    const World world(WorldSpec::make(VISTREL_TEST_MEDIUM_SEED, MediumSize::Small));
    const GkBox& region = world.spec().region;
    for (int zone : {2, 3}) {
        auto dem = openMap(QStringLiteral("DATEN/dgm%1.tlm").arg(zone));
        ASSERT_TRUE(dem) << zone;
        EXPECT_EQ(dem->bitCount(), 16);
        EXPECT_EQ(dem->georeference().zone, zone);
        const Box b = boxOf(*dem);
        EXPECT_NEAR((b.e1 - b.e0) / dem->imageWidth(), 40.0, 1e-9);
        EXPECT_NEAR((b.n1 - b.n0) / dem->imageHeight(), 40.0, 1e-9);
        int inside = 0, outside = 0;
        for (int y = 0; y < dem->imageHeight(); y += 7) {
            for (int x = 0; x < dem->imageWidth(); x += 5) {
                const auto px = pixelBytes(*dem, x, y);
                const int v = px[0] | (px[1] << 8);
                double n3 = 0, e3 = 0;
                toStrip3(b.n1 - 40.0 * y, b.e0 + 40.0 * x, n3, e3);
                if (region.contains(e3, n3)) {
                    ++inside;
                    ASSERT_GT(v, 0) << x << "," << y;
                    EXPECT_NEAR(v / 10.0, world.surface(e3, n3), 0.051) << x << "," << y;
                } else {
                    ++outside;
                    EXPECT_EQ(v, 0) << x << "," << y;
                }
            }
        }
        EXPECT_GT(inside, 500);
        EXPECT_GT(outside, 0);
    }
}

TEST(MediumFiles, PlaceTablesPointAtEachOther) {
    auto regional = openMap(QStringLiteral("KARTEN/AREA1330.TLM"));
    ASSERT_TRUE(regional);
    const Box rb = boxOf(*regional);
    Table t1 = openTable(QStringLiteral("DATEN/WOPLA1.HDB"));
    Table t2 = openTable(QStringLiteral("DATEN/WOPLA2.HDB"));
    ASSERT_TRUE(t1.cursor && t2.cursor);
    const int n = t1.file->recordCount();
    ASSERT_GT(n, 5);
    ASSERT_EQ(t2.file->recordCount(), n);
    std::tuple<std::string, std::string> previous;
    std::set<int> zones;
    for (int r = 1; r <= n; ++r) {
        ASSERT_TRUE(t1.cursor->seek(r));
        const std::string ort = t1.text("ORT"), teil = t1.text("ORTS_TEIL");
        EXPECT_FALSE(ort.empty());
        EXPECT_EQ(Cp1252::encode(Cp1252::decode(ort).toUpper()), ort);
        EXPECT_LE(previous, std::make_tuple(ort, teil)) << r;
        previous = {ort, teil};
        const int rel = int(t1.number("RELATION"));
        ASSERT_TRUE(t2.cursor->seek(rel)) << r;
        EXPECT_EQ(int(t2.number("RELATION")), r);
        EXPECT_EQ(t2.text("ORT"), ort);
        EXPECT_EQ(t2.text("ORTS_TEIL"), teil);
        const double e = t1.number("R_WERT"), h = t1.number("H_WERT");
        EXPECT_EQ(t2.number("R_WERT"), e);
        double n3 = 0, e3 = 0;
        toStrip3(h, e, n3, e3);
        EXPECT_TRUE(rb.contains(e3, n3)) << ort << " " << teil;
        // West of 7.5° E positions are given in strip 2, east of it in 3.
        double lon = 0, lat = 0;
        MediumGk::inverse(h, e, lon, lat);
        const int zone = int(std::floor(e / 1e6));
        EXPECT_EQ(zone, lon < 7.5 ? 2 : 3);
        zones.insert(zone);
    }
    EXPECT_EQ(zones.size(), 2u);
    // WOPLA2 is in order of the parts.
    std::string last;
    for (int r = 1; r <= n; ++r) {
        ASSERT_TRUE(t2.cursor->seek(r));
        const std::string teil = t2.text("ORTS_TEIL");
        EXPECT_LE(last, teil);
        last = teil;
    }
    // The tables are scrambled: without the code word they do not read.
    auto plain = HDBFile::open(file(QStringLiteral("DATEN/WOPLA1.HDB")), "");
    EXPECT_TRUE(!plain->isOpen() || plain->fieldByName("ORT") == nullptr);
}

TEST(MediumFiles, PointsOfInterestHaveInformationPages) {
    auto regional = openMap(QStringLiteral("KARTEN/AREA1330.TLM"));
    ASSERT_TRUE(regional);
    const Box rb = boxOf(*regional);
    Table t = openTable(QStringLiteral("DATEN/TopInfo.HDB"));
    ASSERT_TRUE(t.cursor);
    std::set<std::string> cats;
    std::string lastCat;
    for (int r = 1; r <= t.file->recordCount(); ++r) {
        ASSERT_TRUE(t.cursor->seek(r));
        const std::string cat = t.text("KATEGORIE");
        EXPECT_LE(lastCat, cat);
        lastCat = cat;
        cats.insert(cat);
        EXPECT_FALSE(t.text("NAME").empty());
        EXPECT_FALSE(t.text("PLZORT").empty());
        double n3 = 0, e3 = 0;
        toStrip3(t.number("X"), t.number("Y"), n3, e3);
        EXPECT_TRUE(rb.contains(e3, n3)) << t.text("NAME");
        const QString key = QString::fromStdString(cat) + QStringLiteral("%1").arg(r, 10, 10, QLatin1Char('0'));
        EXPECT_TRUE(
            QFile::exists(QString::fromStdString(file(QStringLiteral("DATEN/INFO/") + key + QStringLiteral(".html")))))
            << key.toStdString();
    }
    EXPECT_EQ(cats, (std::set<std::string>{"1", "2", "3", "4", "5", "6"}));
    for (const char* page : {"1.html", "6.html", "NoInfo.html"})
        EXPECT_TRUE(
            QFile::exists(QString::fromStdString(file(QStringLiteral("DATEN/INFO/") + QString::fromLatin1(page)))));
}

TEST(MediumFiles, BoundarySegmentsAreSortedShortNestedAndInside) {
    auto regional = openMap(QStringLiteral("KARTEN/AREA1330.TLM"));
    ASSERT_TRUE(regional);
    const Box rb = boxOf(*regional);
    using Seg = std::tuple<double, double, double, double, int>;
    std::set<Seg> levels[3];
    for (int level = 1; level <= 3; ++level) {
        Table t = openTable(QStringLiteral("DATEN/GRENZ%1.HDB").arg(level));
        ASSERT_TRUE(t.cursor);
        // The painter searches the first field with a 4-byte key.
        EXPECT_EQ(t.file->field(1)->size(), 4u);
        double lastKey = -1;
        for (int r = 1; r <= t.file->recordCount(); ++r) {
            ASSERT_TRUE(t.cursor->seek(r));
            std::uint32_t key = 0;
            ASSERT_EQ(t.file->field(1)->getInteger(*t.cursor, key), RowField::Ok);
            const double minH = t.number("MIN_H"), maxH = t.number("MAX_H");
            const double minR = t.number("MIN_R"), maxR = t.number("MAX_R");
            EXPECT_LE(lastKey, double(key));
            lastKey = key;
            EXPECT_EQ(double(key), std::floor(maxH));
            EXPECT_LE(minH, maxH);
            EXPECT_LE(minR, maxR);
            EXPECT_LE(maxH - minH, 1400.0);
            double n3 = 0, e3 = 0;
            toStrip3(minH, minR, n3, e3);
            EXPECT_TRUE(rb.contains(e3, n3, 2.0));
            toStrip3(maxH, maxR, n3, e3);
            EXPECT_TRUE(rb.contains(e3, n3, 2.0));
            std::uint32_t dir = 0;
            ASSERT_EQ(t.file->fieldByName("RICHTUNG")->getInteger(*t.cursor, dir), RowField::Ok);
            EXPECT_LE(dir, 1u);
            levels[level - 1].insert({minH, maxH, minR, maxR, int(dir)});
        }
    }
    EXPECT_GT(levels[2].size(), 100u);
    // District boundaries are association boundaries, which are
    // municipal boundaries.
    for (int l = 0; l < 2; ++l) {
        for (const Seg& s : levels[l])
            EXPECT_TRUE(levels[l + 1].count(s));
    }
}

TEST(MediumFiles, SymbolsAndTitlePicture) {
    const QDir symbols(mediumDir() + QStringLiteral("/SYMBOLE"));
    const QStringList files = symbols.entryList(QDir::Files);
    EXPECT_GE(files.size(), 6);
    const QRegularExpression pattern(QStringLiteral("^[0-9]+[A-Za-z]+\\.bmp$"));
    for (const QString& f : files) {
        EXPECT_TRUE(pattern.match(f).hasMatch()) << f.toStdString();
        const QImage img(symbols.filePath(f));
        ASSERT_FALSE(img.isNull()) << f.toStdString();
        EXPECT_LE(img.width(), 64);
        EXPECT_LE(img.height(), 64);
    }
    const QImage title(mediumDir() + QStringLiteral("/BILDER/TITEL.BMP"));
    EXPECT_FALSE(title.isNull());
}
