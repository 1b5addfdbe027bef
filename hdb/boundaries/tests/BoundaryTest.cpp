// The boundary lines in the running program: the painter made by the
// start-up sequence over level files of a test medium, drawn on the shown
// main map, chosen by the four menu entries.
#include "AppInitModule.h"
#include "BoundaryModule.h"
#include "HDBFormat.h"
#include "HDBWriter.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ModuleTestSupport.h"
#include "OverviewModule.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"
#include "VectorLinePainter.h"
#include "velmar32.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using Values = std::vector<HDBWriter::Value>;

// A segment in strip-2 Gauss-Krüger metres; the key is its upper northing.
struct Seg {
    double minH, maxH, minR, maxR;
    int richtung;
};

bool writeLevel(const QString& path, const std::vector<Seg>& segments) {
    HDBWriter w({{"KEY_H", HDBFormat::TypeNumber, 9, 0},
                 {"MIN_H", HDBFormat::TypeNumber, 11, 1},
                 {"MAX_H", HDBFormat::TypeNumber, 11, 1},
                 {"MIN_R", HDBFormat::TypeNumber, 11, 1},
                 {"MAX_R", HDBFormat::TypeNumber, 11, 1},
                 {"RICHTUNG", HDBFormat::TypeByte, 1, 0}},
                BoundaryModule::CodeWord);
    for (const Seg& s : segments) {
        if (!w.addRecord({int64_t(s.maxH), s.minH, s.maxH, s.minR, s.maxR, int64_t(s.richtung)}))
            return false;
    }
    return w.write(QFile::encodeName(path).toStdString());
}

Coord strip2(double northing, double easting) {
    Coord c{};
    c.type = 1;
    c.zone = 2;
    c.x = northing;
    c.y = easting;
    return c;
}

// The box of the boundary examples: (5 500 000, 2 600 000) - (5 500 100, 2 600 200).
const Seg Slash{5500000, 5500100, 2600000, 2600200, 0};     // from lower left to upper right
const Seg Backslash{5500000, 5500100, 2600000, 2600200, 1}; // from upper left to lower right
const Seg Horizontal{5500040, 5500040, 2600005, 2600060, 0};
// South of any view: below the search key.
const Seg South{5490000, 5490010, 2600000, 2600010, 0};
// 10 km north of the view: further than the margin, so the walk ends here.
const Seg North{5510000, 5510010, 2600000, 2600010, 0};
// A long segment after it that would cross the view (never drawn: the walk ended).
const Seg Long{5499990, 5520000, 2600150, 2600160, 0};

class BoundaryLines : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("boundary-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        const QString daten = medium.path() + "/DATEN/";
        QDir().mkpath(karten);
        QDir().mkpath(daten);
        // The map in strip 3 around the example box.
        Coord centre{};
        centre.type = 1;
        centre.zone = 3;
        ASSERT_GE(TLM_TransformCoords(&(const Coord&)strip2(5500050, 2600100), &centre), 0);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
        cd.write(QByteArray("1\n") + QByteArray::number(qint64(centre.y)) + "\n" +
                 QByteArray::number(qint64(centre.x)) + "\n");
        cd.close();
        const ModuleTestSupport::MapArea area{std::floor(centre.y) - 1000, std::floor(centre.x) + 1000, 1.0, 2000,
                                              2000};
        for (const char* name : {"UEB_1600.TLM", "UEB_0250.TLM", "AREA1330.TLM"})
            ASSERT_TRUE(ModuleTestSupport::writeMap(karten + name, area));
        ASSERT_TRUE(writeLevel(daten + "GRENZ1.HDB", {South, Slash, North, Long}));
        ASSERT_TRUE(writeLevel(daten + "GRENZ2.HDB", {Backslash}));
        ASSERT_TRUE(writeLevel(daten + "GRENZ3.HDB", {Horizontal}));
    }
    // The start-up as the program runs it, the main window shown as main() shows it.
    void start() {
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        init->basis()->mainWindow()->showMaximized();
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        ASSERT_NE(module->Window(), nullptr);
        painter = BoundaryModule::Painter();
        ASSERT_NE(painter, nullptr);
        ASSERT_TRUE(ModuleTestSupport::processUntil([this] { return module->Window()->isVisible(); }));
    }
    void TearDown() override {
        if (VectorLinePainter* p = BoundaryModule::Painter()) {
            p->Detach();
            delete p;
        }
        delete OverviewModule::instance();
        delete MainMapModule::instance();
        init.reset();
    }
    // The entries under "&Anzeige|&Grenzen", in registration order.
    std::vector<VectorLinePainterAction*> actions() const {
        std::vector<VectorLinePainterAction*> found;
        for (TModularAction* action : init->basis()->mainWindow()->registeredActions()) {
            if (auto* a = qobject_cast<VectorLinePainterAction*>(action))
                found.push_back(a);
        }
        return found;
    }
    QImage shot() const { return module->Window()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The window point of a strip-2 position.
    QPointF at(double northing, double easting) const {
        Coord point{};
        point.type = 0xC001;
        EXPECT_TRUE(module->Transform(strip2(northing, easting), point));
        return {point.x, point.y};
    }
    // Magenta anywhere within 1 pixel of the point.
    static bool magentaNear(const QImage& image, const QPointF& p) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QPoint q(int(std::lround(p.x())) + dx, int(std::lround(p.y())) + dy);
                if (image.rect().contains(q) && image.pixel(q) == qRgb(255, 0, 255))
                    return true;
            }
        }
        return false;
    }
    // A point a quarter along the segment as its RICHTUNG orders it.
    QPointF quarter(const Seg& s) const {
        const VectorLinePainter::Segment g = VectorLinePainter::SegmentOf(s.minH, s.maxH, s.minR, s.maxR, s.richtung);
        const QPointF a = at(g.from.x(), g.from.y()), b = at(g.to.x(), g.to.y());
        return a + (b - a) * 0.25;
    }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    MainMapModule* module = nullptr;
    VectorLinePainter* painter = nullptr;
};

// Counts the paints of the main map.
struct PaintCounter : MapEventListener {
    int paints = 0;
    void Paint(MapEventInfo&) override { ++paints; }
};

} // namespace

TEST(BoundarySegment, DirectionFlagChoosesTheDiagonal) {
    const auto a = VectorLinePainter::SegmentOf(5500000, 5500100, 2600000, 2600200, 0);
    EXPECT_EQ(a.from, QPointF(5500000, 2600000));
    EXPECT_EQ(a.to, QPointF(5500100, 2600200));
    for (unsigned flag : {1u, 2u, 255u}) {
        const auto b = VectorLinePainter::SegmentOf(5500000, 5500100, 2600000, 2600200, flag);
        EXPECT_EQ(b.from, QPointF(5500100, 2600000)) << flag;
        EXPECT_EQ(b.to, QPointF(5500000, 2600200)) << flag;
    }
}

TEST_F(BoundaryLines, MenuEntriesChooseTheLevels) {
    start();
    const std::vector<VectorLinePainterAction*> entries = actions();
    ASSERT_EQ(entries.size(), 4u);
    const char* paths[] = {"&Anzeige|&Grenzen|&keine", "&Anzeige|&Grenzen|K&reisgrenzen",
                           "&Anzeige|&Grenzen|&VG-Grenzen", "&Anzeige|&Grenzen|&Gemeindegrenzen"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[size_t(i)]->menuPath(), QString::fromUtf8(paths[i]));
        EXPECT_EQ(entries[size_t(i)]->levelCount(), i);
    }
    // Registered after dimming and before the centre function.
    const QList<TModularAction*> all = init->basis()->mainWindow()->registeredActions();
    const qsizetype first = all.indexOf(entries[0]);
    ASSERT_GT(first, 0);
    EXPECT_EQ(all[first - 1]->hint(), "Volle Helligkeit");
    ASSERT_GT(all.size(), first + 4);
    EXPECT_EQ(all[first + 4]->hint(), "Zentrieren");

    // Nothing shows until the user chooses a level.
    init->basis()->mainWindow()->updateModularActions();
    EXPECT_EQ(painter->LevelCount(), 0);
    EXPECT_TRUE(entries[0]->isChecked());
    QImage image = shot();
    EXPECT_FALSE(magentaNear(image, quarter(Slash)));

    // "&VG-Grenzen": files 1 and 2, not 3.
    entries[2]->execute();
    init->basis()->mainWindow()->updateModularActions();
    EXPECT_EQ(painter->LevelCount(), 2);
    EXPECT_TRUE(entries[2]->isChecked());
    EXPECT_FALSE(entries[0]->isChecked());
    image = shot();
    ASSERT_EQ(painter->LastPaint().size(), 3u);
    EXPECT_EQ(painter->LastPaint()[0].drawn, 1);
    EXPECT_EQ(painter->LastPaint()[1].drawn, 1);
    EXPECT_EQ(painter->LastPaint()[2].read, 0);
    EXPECT_TRUE(magentaNear(image, quarter(Slash)));
    EXPECT_TRUE(magentaNear(image, quarter(Backslash)));
    EXPECT_FALSE(magentaNear(image, quarter(Horizontal)));

    // "&Gemeindegrenzen": all three.
    entries[3]->execute();
    image = shot();
    EXPECT_TRUE(magentaNear(image, quarter(Horizontal)));
    EXPECT_EQ(painter->LastPaint()[2].drawn, 1);

    // "K&reisgrenzen": only the first file.
    entries[1]->execute();
    image = shot();
    EXPECT_TRUE(magentaNear(image, quarter(Slash)));
    EXPECT_FALSE(magentaNear(image, quarter(Backslash)));
    EXPECT_FALSE(magentaNear(image, quarter(Horizontal)));
}

TEST_F(BoundaryLines, DirectionAndWalkOfOneLevel) {
    start();
    actions()[1]->execute();
    const QImage image = shot();
    // RICHTUNG 0 runs from the lower left corner of its box to the upper
    // right one: on the screen from bottom left to top right. The other
    // diagonal of the same box stays empty.
    const QPointF lowerLeft = at(5500000, 2600000), upperRight = at(5500100, 2600200);
    EXPECT_GT(lowerLeft.y(), upperRight.y());
    EXPECT_LT(lowerLeft.x(), upperRight.x());
    EXPECT_TRUE(magentaNear(image, lowerLeft + (upperRight - lowerLeft) * 0.25));
    EXPECT_TRUE(magentaNear(image, lowerLeft + (upperRight - lowerLeft) * 0.75));
    EXPECT_FALSE(magentaNear(image, quarter(Backslash)));

    // The search starts at the view's lower edge (the southern segment is
    // never read) and the segment 10 km north, beyond the margin, ends the
    // walk: the long segment after it, which would cross the view, is neither
    // read nor drawn.
    EXPECT_EQ(painter->LastPaint()[0].read, 2);
    EXPECT_EQ(painter->LastPaint()[0].drawn, 1);
    const QPointF longMiddle = at(5500050, 2600155);
    EXPECT_FALSE(magentaNear(image, longMiddle));
}

TEST_F(BoundaryLines, SameLevelDoesNotRepaint) {
    start();
    PaintCounter counter;
    counter.Attach();
    const std::vector<VectorLinePainterAction*> entries = actions();
    entries[2]->execute();
    EXPECT_TRUE(ModuleTestSupport::processUntil([&] { return counter.paints > 0; }));
    // Let every pending paint finish before counting again.
    ModuleTestSupport::processUntil([] { return false; }, 20);
    counter.paints = 0;
    entries[2]->execute();
    ModuleTestSupport::processUntil([] { return false; }, 20);
    EXPECT_EQ(counter.paints, 0) << "the level already shown";
    entries[0]->execute();
    EXPECT_TRUE(ModuleTestSupport::processUntil([&] { return counter.paints > 0; }));
    counter.Detach();
}

TEST_F(BoundaryLines, MissingAndDamagedFilesDrawNothing) {
    start();
    QTemporaryDir empty;
    QFile damaged(empty.path() + "/GRENZ2.HDB");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("HDB\x1a garbage that is no file at all");
    damaged.close();
    QFile::copy(medium.path() + "/DATEN/GRENZ3.HDB", empty.path() + "/GRENZ3.HDB");
    std::unique_ptr<VectorLinePainter> other(BoundaryModule::Create(empty.path() + "/"));
    EXPECT_EQ(other->FileCount(), 3);
    EXPECT_TRUE(other->SetLevelCount(7)) << "clamped to the files";
    EXPECT_EQ(other->LevelCount(), 3);
    const QImage image = shot();
    other->Detach();
    EXPECT_EQ(other->LastPaint()[0].read, 0);
    EXPECT_EQ(other->LastPaint()[1].read, 0);
    EXPECT_EQ(other->LastPaint()[2].drawn, 1) << "the readable level still draws";
    EXPECT_TRUE(magentaNear(image, quarter(Horizontal)));
}

TEST_F(BoundaryLines, PrinterWidthsScaleWithTheResolution) {
    start();
    actions()[1]->execute();
    QImage canvas(module->Window()->viewport()->size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    // 600 dots per inch: lines six times as wide as on the screen.
    canvas.setDotsPerMeterX(int(600 / 0.0254));
    canvas.setDotsPerMeterY(int(600 / 0.0254));
    {
        QPainter p(&canvas);
        MapEventInfo info;
        info.handler = &MapEventListener::Paint;
        info.canvas = &p;
        painter->Paint(info);
    }
    // Across the horizontal middle of the slash, count magenta pixels.
    const QPointF mid = at(5500050, 2600100);
    int wide = 0;
    for (int x = int(mid.x()) - 40; x <= int(mid.x()) + 40; ++x) {
        if (canvas.rect().contains(x, int(mid.y())) && canvas.pixel(x, int(mid.y())) == qRgb(255, 0, 255))
            ++wide;
    }
    // A 24-pixel pen along a line of slope 1/2 covers about 24 * sqrt(5) / 1
    // pixels across a row; a 4-pixel pen fewer than 12.
    EXPECT_GT(wide, 30);
}

// The screen keeps the lines of a view: a repaint of it, whole or in part,
// must show what drawing the lines anew shows, and a moved view its own lines.
TEST_F(BoundaryLines, RepaintsShowWhatAFreshDrawingShows) {
    start();
    actions()[3]->execute();
    struct Fresh : MapEventInfo {
        bool IsScreen() const override { return false; }
    };
    const auto draw = [this](bool screen, const QRect& clip) {
        QImage canvas(module->Window()->viewport()->size(), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        if (!clip.isNull())
            p.setClipRect(clip);
        Fresh fresh;
        MapEventInfo onScreen;
        MapEventInfo& info = screen ? onScreen : static_cast<MapEventInfo&>(fresh);
        info.handler = &MapEventListener::Paint;
        info.canvas = &p;
        painter->Paint(info);
        return canvas;
    };
    const QImage expected = draw(false, QRect());
    ASSERT_TRUE(magentaNear(expected, quarter(Slash)));
    EXPECT_EQ(draw(true, QRect()), expected);
    EXPECT_EQ(draw(true, QRect()), expected) << "from the kept picture";
    const QRect part(quarter(Slash).toPoint() - QPoint(20, 15), QSize(50, 40));
    const QImage clipped = draw(true, part);
    QImage inPart(expected.size(), QImage::Format_RGB32);
    inPart.fill(Qt::white);
    {
        QPainter p(&inPart);
        p.drawImage(part.topLeft(), expected, part);
    }
    EXPECT_EQ(clipped, inPart) << "only the clipped part";

    // Scrolled: the lines move with the map, on the window too.
    TTolmWindow& window = *module->Window();
    window.horizontalScrollBar()->setValue(window.horizontalScrollBar()->value() + 37);
    window.verticalScrollBar()->setValue(window.verticalScrollBar()->value() - 23);
    QApplication::processEvents();
    const QImage moved = draw(false, QRect());
    EXPECT_NE(moved, expected);
    EXPECT_EQ(draw(true, QRect()), moved);
    EXPECT_TRUE(magentaNear(shot(), quarter(Slash)));
    EXPECT_TRUE(magentaNear(shot(), quarter(Horizontal)));

    // A map smaller than the window at two zooms: the view's corners lie
    // beyond the map's edges both times, and still the lines follow the zoom.
    Coord centre{};
    centre.type = 1;
    centre.zone = 3;
    ASSERT_GE(TLM_TransformCoords(&(const Coord&)strip2(5500050, 2600100), &centre), 0);
    const QString small = medium.path() + "/KARTEN/KLEIN.TLM";
    ASSERT_TRUE(
        ModuleTestSupport::writeMap(small, {std::floor(centre.y) - 200, std::floor(centre.x) + 200, 1.0, 400, 400}));
    module->SetMapPath(small, false);
    for (const double zoom : {0.5, 0.25}) {
        module->SetZoom(zoom, std::nullopt);
        QApplication::processEvents();
        ASSERT_EQ(window.horizontalScrollBar()->maximum(), 0) << "the map fits";
        ASSERT_EQ(window.verticalScrollBar()->maximum(), 0) << "the map fits";
        EXPECT_EQ(draw(true, QRect()), draw(false, QRect())) << zoom;
        EXPECT_TRUE(magentaNear(shot(), quarter(Slash))) << zoom;
    }
}
