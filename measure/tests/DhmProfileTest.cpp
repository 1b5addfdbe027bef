// The elevation profile: model table and height lookup on models the test
// writes, sampling, the graph's layout and a golden comparison of its line,
// the option menu, the saved picture, and the function in the program.
#include "AppInitModule.h"
#include "DHMProfileFunction.h"
#include "DhmModel.h"
#include "DhmPath.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ScriptedDialogs.h"
#include "TDHMDialog.h"
#include "TlmWriter.h"
#include "TolmWindow.h"
#include "velmar32.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <unistd.h>

namespace {

// Test models: 100 x 100 nodes, 40 m apart, south-west corner at this
// easting/northing of strip 3; heights in decimetres.
constexpr double E0 = 3400000, N0 = 5500000;
constexpr int Size = 100;

// A valley running north-south: 200 m at its bottom (easting E0 + 2000),
// rising 1 m per 8 m to both sides; nothing east of E0 + 3600.
int valley(double e, double) {
    if (e > E0 + 3600)
        return 0;
    return 2000 + int(std::abs(e - (E0 + 2000)) * 10 / 8);
}

// Writes a model of the zone: node (x, y) at easting E0' + 40 x, northing
// N0' + 40 (Size - 1 - y), where E0'/N0' is the corner in that zone.
bool writeModel(const QString& path, int zone, const std::function<int(double, double)>& height, double e0 = E0,
                double n0 = N0) {
    TlmWriter::Options o;
    o.compression = TlmWriter::None;
    o.tileWidth = 64;
    o.tileHeight = 64;
    o.bitCount = 16;
    o.georef.kind = 1;
    o.georef.zone = int16_t(zone);
    o.georef.r[0] = e0;
    o.georef.r[1] = e0 + Size * 40.0;
    o.georef.r[2] = n0 + Size * 40.0;
    o.georef.r[3] = n0;
    std::vector<uint8_t> pixels(std::size_t(Size) * Size * 2);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int v = height(e0 + 40.0 * x, n0 + Size * 40.0 - 40.0 * y);
            pixels[(std::size_t(y) * Size + x) * 2] = uint8_t(v);
            pixels[(std::size_t(y) * Size + x) * 2 + 1] = uint8_t(v >> 8);
        }
    std::string error;
    const bool ok = TlmWriter::write(path.toStdString(), Size, Size, pixels.data(), Size * 2, o, &error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

Coord gk(double e, double n, uint32_t zone = 3) {
    return Coord{1, zone, n, e};
}

// The same place in another strip.
Coord inZone(const Coord& p, uint32_t zone) {
    Coord from = p, to{1, zone};
    EXPECT_EQ(TLM_TransformCoords(&from, &to), 1);
    return to;
}

struct Models {
    QTemporaryDir dir;
    Modul::DHM dhm;
    explicit Models(bool withZone2) {
        writeModel(dir.filePath("dgm3.tlm"), 3, valley);
        if (withZone2) // a plateau of 300 m
            writeModel(
                dir.filePath("dgm2.tlm"), 2, [](double, double) { return 3000; }, 2600000, 5500000);
        dhm.open(dir.path());
    }
};

} // namespace

TEST(DhmModel, SlotsFallbackAndLookup) {
    {
        // Only dgm3: slot 0 serves every strip.
        Models one(false);
        EXPECT_EQ(one.dhm.model(3), 0u);
        ASSERT_NE(one.dhm.model(0), 0u);
        EXPECT_EQ(one.dhm.slotFor(2), 0);
        EXPECT_EQ(one.dhm.slotFor(7), 0);
        const Coord p = gk(E0 + 2400, N0 + 2000);
        EXPECT_EQ(one.dhm.height(p, false), 2500);
        EXPECT_EQ(one.dhm.height(inZone(p, 2), false), 2500) << "a strip-2 position uses the only model";
        EXPECT_EQ(one.dhm.height(inZone(p, 4), false), 2500);
    }
    Models both(true);
    EXPECT_NE(both.dhm.model(2), 0u);
    EXPECT_NE(both.dhm.model(3), 0u);
    EXPECT_EQ(both.dhm.model(0), 0u);
    EXPECT_EQ(both.dhm.slotFor(4), 3) << "strip 4 uses the strip-3 model";
    EXPECT_EQ(both.dhm.slotFor(1), 2);
    EXPECT_EQ(both.dhm.slotFor(9), 3);
    const Coord p = gk(E0 + 2400, N0 + 2000);
    EXPECT_EQ(both.dhm.height(inZone(p, 4), false), 2500);
    EXPECT_EQ(both.dhm.height(gk(2600000 + 1000, N0 + 1000, 2), false), 3000);
    // Outside, with no height and with nothing open.
    EXPECT_EQ(both.dhm.height(gk(E0 + 20000, N0 + 2000), false), 0);
    EXPECT_EQ(both.dhm.height(gk(E0 + 3800, N0 + 2000), false), 0) << "pixel value 0";
    EXPECT_EQ(both.dhm.height(gk(NAN, N0), true), 0);
    Modul::DHM none;
    EXPECT_EQ(none.slotFor(3), -1);
    EXPECT_EQ(none.height(p, true), 0);
    // Nothing openable in a directory: no model at all.
    QTemporaryDir empty;
    QFile bad(empty.filePath("dgm3.tlm"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a map");
    bad.close();
    EXPECT_EQ(none.open(empty.path()), 0);
}

TEST(DhmModel, NearestAndBilinear) {
    Models m(false);
    const Modul::DHM& d = m.dhm;
    // Nearest: 14 m east of node 2400 still reads it, 24 m the next one.
    EXPECT_EQ(d.height(gk(E0 + 2414, N0 + 2000), false), 2500);
    EXPECT_EQ(d.height(gk(E0 + 2424, N0 + 2000), false), 2550);
    // Bilinear: on a node its height, a quarter into the cell a quarter on.
    EXPECT_EQ(d.height(gk(E0 + 2400, N0 + 2000), true), 2500);
    EXPECT_EQ(d.height(gk(E0 + 2410, N0 + 2017), true), 2512);
    EXPECT_EQ(d.height(gk(E0 + 2420, N0 + 2000), true), 2525);
    // Nodes without height are left out: east of 3600 m only the west ones count.
    EXPECT_EQ(d.height(gk(E0 + 3620, N0 + 2000), true), valley(E0 + 3600, 0));
    EXPECT_EQ(d.height(gk(E0 + 3640, N0 + 2000), true), 0);
}

TEST(DhmPath, SamplingDistancesAndZoneBorder) {
    Models m(false);
    DHM_Path path(&m.dhm);
    ASSERT_TRUE(path.addPoint(gk(E0 + 400, N0 + 2000)));
    ASSERT_TRUE(path.addPoint(gk(E0 + 3600, N0 + 2000)));
    EXPECT_FALSE(path.addPoint(Coord{0x8000, 0, 1, 1})) << "a pixel of no map";
    EXPECT_NEAR(path.horizontalLength(), 3200.0, 0.5);
    EXPECT_EQ(path.samples(400).size(), 2u) << "without support points only the marked ones";
    path.flags = DHM_Path::SupportPoints;
    const std::vector<DHM_Sample> s = path.samples(400);
    ASSERT_EQ(s.size(), 201u) << "every 2 of 400 pixels";
    EXPECT_NEAR(s[1].distance, 16.0, 0.1);
    EXPECT_EQ(s[100].height, 2000) << "the valley bottom in the middle";
    EXPECT_EQ(s.back().height, 4000);

    // A line across 7.5° E: an extra sample at the border, the part beyond in strip 2.
    Coord west{2, 0, 7.49, 49.6}, east{2, 0, 7.52, 49.6};
    DHM_Path across;
    ASSERT_TRUE(across.addPoint(east) && across.addPoint(west));
    const std::vector<DHM_Sample> b = across.samples(0);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].position.zone, 3u);
    EXPECT_EQ(b[1].position.zone, 2u);
    EXPECT_NEAR(b[1].distance, 0.02 * 72300, 30) << "two thirds of the way";
    EXPECT_NEAR(b[2].distance, across.horizontalLength(), 0.01);
    EXPECT_NEAR(across.horizontalLength(), 0.03 * 72300, 40);
}

TEST(DhmPath, UnitsRangesStepsAndTexts) {
    auto unit = [](double total) {
        const DHM_DistanceUnit u = DHM_DistanceUnit::forTotal(total);
        return (u.number(total) + u.text).toStdString();
    };
    EXPECT_EQ(unit(1500), "1.50 km");
    EXPECT_EQ(unit(150000), "150 km");
    EXPECT_EQ(unit(15000), "15.0 km");
    EXPECT_EQ(unit(999), "999 m");
    EXPECT_EQ(unit(50), "50.0 m");
    EXPECT_EQ(unit(2500000), "2.50 tkm");

    std::vector<DHM_Sample> s(4);
    s[0].height = 1234;
    s[1].height = 0;
    s[2].height = 4567;
    s[3].height = 2000;
    EXPECT_EQ(DHM_Path::heightRange(s), std::make_pair(1200, 4600)) << "123.4 .. 456.7 m give 120 .. 460 m";
    EXPECT_EQ(DHM_Path::heightRange({}), std::make_pair(0, 100));
    s.assign(1, DHM_Sample{});
    s[0].height = 500;
    EXPECT_EQ(DHM_Path::heightRange(s), std::make_pair(400, 500)) << "a flat line gets 10 m";
    // (13 + 1) / 280 x range: 170 -> 200; 30 -> 100; 2800 -> 280 x 10 -> 5000;
    // 10000 -> 100 x 100 -> 20000.
    EXPECT_EQ(DHM_Path::heightStep(13, 280, 3400), 200);
    EXPECT_EQ(DHM_Path::heightStep(13, 280, 600), 100);
    EXPECT_EQ(DHM_Path::heightStep(13, 280, 56000), 5000);
    EXPECT_EQ(DHM_Path::heightStep(13, 280, 200000), 20000);
    EXPECT_EQ(DHM_Path::gradientText(23, 100), "2%") << "2.3 % is not rounded up";
    EXPECT_EQ(DHM_Path::gradientText(-150, 100), "15%");
    EXPECT_EQ(DHM_Path::gradientText(10, 0), "");
}

TEST(DhmPath, GraphLayoutMessagesAndStatistics) {
    Models m(false);
    DHM_Path path(&m.dhm);
    QImage image(600, 320, QImage::Format_RGB32);
    auto draw = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        return path.draw(painter, image.rect());
    };
    DHM_Graph g = draw();
    EXPECT_EQ(g.messages.value(0), "Keine Punkte markiert");
    EXPECT_EQ(g.messages.value(1), "Keine Anzeige möglich.");
    EXPECT_EQ(g.messages.value(3), "Zum Erfassen der Stützpunkte");
    EXPECT_EQ(g.messages.value(4), "klicken Sie bitte in die Karte.");
    path.addPoint(gk(E0 + 400, N0 + 2000));
    EXPECT_EQ(draw().messages.value(0), "Nur ein Punkt markiert");

    // Down 120 m into the valley and 120 m up again (1200 m each way).
    path.addPoint(gk(E0 + 2000, N0 + 2000));
    path.addPoint(gk(E0 + 3600, N0 + 2000));
    path.flags = DHM_Path::Statistics | DHM_Path::Percentages;
    g = draw();
    EXPECT_TRUE(g.messages.isEmpty());
    EXPECT_EQ(g.minimum, 2000);
    EXPECT_EQ(g.maximum, 4000);
    EXPECT_EQ(g.heightLabels.front(), "200");
    EXPECT_EQ(g.heightLabels.back(), "400");
    EXPECT_NEAR(g.pathLength, 2 * std::hypot(1600.0, 200.0), 0.5);
    EXPECT_EQ(g.distanceLabels.front(), "0");
    EXPECT_EQ(g.distanceLabels.back(), "3.22 km");
    EXPECT_EQ(g.gradientLabels, QStringList({"12%", "12%"}));
    EXPECT_EQ(g.statistics, QStringList({"Anstieg: 200 m auf 1.61 km", "Abstieg: 200 m auf 1.61 km"}));
    EXPECT_EQ(g.lines, 1);
    // Intermediate labels lie between start and end, rising.
    ASSERT_GT(g.distanceLabels.size(), 2);
    for (int i = 2; i + 1 < g.distanceLabels.size(); ++i)
        EXPECT_LT(g.distanceLabels[i - 1].toDouble(), g.distanceLabels[i].toDouble());
    // On a printer (lines 8 times as wide) the support points stay 2 screen
    // pixels apart, so the statistics agree with the window's.
    path.flags = DHM_Path::Statistics | DHM_Path::SupportPoints | DHM_Path::Bilinear;
    const DHM_Graph screen = draw();
    QImage paper(600 * 8, 320 * 8, QImage::Format_Mono);
    {
        QPainter painter(&paper);
        QFont font = painter.font();
        font.setPixelSize(QFontMetrics(font).height() * 8);
        painter.setFont(font);
        DHM_Path printed = path;
        printed.lineScale = 8;
        const DHM_Graph print = printed.draw(painter, paper.rect());
        EXPECT_NEAR(double(print.samples.size()), double(screen.samples.size()), screen.samples.size() * 0.1);
        EXPECT_NEAR(print.riseLength, screen.riseLength, screen.riseLength * 0.05);
        EXPECT_NEAR(print.fallLength, screen.fallLength, screen.fallLength * 0.05);
    }
    // A gap in the heights (east of 3600 m) lifts the pen.
    path.addPoint(gk(E0 + 3900, N0 + 2000));
    path.addPoint(gk(E0 + 3500, N0 + 2500));
    g = draw();
    EXPECT_EQ(g.lines, 2);
    // Too small to plot: nothing, and no crash.
    QImage tiny(40, 30, QImage::Format_RGB32);
    QPainter painter(&tiny);
    EXPECT_TRUE(path.draw(painter, tiny.rect()).plot.isEmpty());
}

// The line of the graph for a fixed path on the valley model against an
// independent drawing: heights taken from the valley function at the nearest
// node, scaled into the plot and rasterised point by point. Every pixel of
// the graph must lie within one pixel of the reference and the reverse.
TEST(DhmPath, GoldenGraphAgainstReference) {
    Models m(false);
    DHM_Path path(&m.dhm);
    path.flags = DHM_Path::SupportPoints | DHM_Path::HelperLines;
    path.colour = QColor(0, 0, 255);
    path.addPoint(gk(E0 + 200, N0 + 2000));
    path.addPoint(gk(E0 + 3400, N0 + 2000));
    path.addPoint(gk(E0 + 3400, N0 + 400));
    QImage image(640, 320, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const DHM_Graph g = path.draw(painter, image.rect());
    painter.end();
    ASSERT_FALSE(g.plot.isEmpty());
    EXPECT_EQ(g.minimum, 2000);
    EXPECT_EQ(g.maximum, 4300) << "425 m at the start";

    // The reference line.
    const double total = 3200 + 1600;
    const int n = int(g.samples.size());
    ASSERT_EQ(n, g.plot.width() / 2 + 2) << "every 2 pixels, and both corners";
    std::vector<QPointF> points;
    for (const DHM_Sample& s : g.samples) {
        const double d = s.distance;
        const double e = d <= 3200 ? E0 + 200 + d : E0 + 3400;
        const double snapped = E0 + std::round((e - E0) / 40) * 40;
        const int h = valley(snapped, 0);
        EXPECT_EQ(s.height, h) << d;
        points.emplace_back(g.plot.left() + d / total * g.plot.width(),
                            g.plot.bottom() - double(h - g.minimum) * g.plot.height() / (g.maximum - g.minimum));
    }
    std::set<std::pair<int, int>> reference;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF a = points[i - 1], b = points[i];
        const int steps = int(std::ceil(std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())))) + 1;
        for (int k = 0; k <= steps; ++k) {
            const double t = double(k) / steps;
            reference.insert(
                {int(std::lround(a.x() + t * (b.x() - a.x()))), int(std::lround(a.y() + t * (b.y() - a.y())))});
        }
    }
    std::set<std::pair<int, int>> drawn;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 255))
                drawn.insert({x, y});
    auto near = [](const std::set<std::pair<int, int>>& set, std::pair<int, int> p) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (set.count({p.first + dx, p.second + dy}))
                    return true;
        return false;
    };
    int strayDrawn = 0, missing = 0;
    for (const auto& p : drawn)
        strayDrawn += near(reference, p) ? 0 : 1;
    for (const auto& p : reference)
        missing += near(drawn, p) ? 0 : 1;
    EXPECT_GT(drawn.size(), std::size_t(g.plot.width()));
    EXPECT_EQ(strayDrawn, 0);
    EXPECT_EQ(missing, 0);
    // The helper lines are dotted and black: at each height step some pixels
    // of the plot row are black, others white.
    const int row = g.plot.bottom() - int(std::lround((3000.0 - 2000) * g.plot.height() / (g.maximum - g.minimum)));
    int black = 0;
    for (int x = g.plot.left() + 1; x < g.plot.right(); ++x)
        black += image.pixel(x, row) == qRgb(0, 0, 0) || image.pixel(x, row - 1) == qRgb(0, 0, 0) ? 1 : 0;
    EXPECT_GT(black, g.plot.width() / 5);
    EXPECT_LT(black, g.plot.width() * 4 / 5);
}

TEST(TDHMDialog, OptionMenuSavingAndPrinting) {
    Platform::ScriptedDialogs dialogs;
    Models m(false);
    DHM_Path path(&m.dhm);
    path.addPoint(gk(E0 + 400, N0 + 2000));
    path.addPoint(gk(E0 + 3000, N0 + 2000));
    TDHMDialog dialog(&path);
    EXPECT_EQ(dialog.windowTitle(), "Höhenprofil");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.show();
    QStringList captions;
    for (QAction* a :
         {dialog.Interpol, dialog.InterpolNone, dialog.InterpolPoints, dialog.InterpolHeights, dialog.InterpolBoth,
          dialog.Percentages, dialog.Statistik, dialog.Hilfslinien, dialog.SelectColor, dialog.Dicke1, dialog.PenWidth1,
          dialog.PenWidth3, dialog.PenWidth5, dialog.SavePicture, dialog.Print, dialog.JumpToPosition})
        captions << a->text();
    EXPECT_EQ(captions.join('|'), "&Interpolation|&keine|nur &Stützpunkte|nur &Höhenraster|&beides|&Steigungswerte|"
                                  "St&atistik|&Hilfslinien|&Farbe|&Dicke|&dünn|&mittel|d&ick|&Bild speichern|&Drucken|"
                                  "Zu &Position springen");

    dialog.updateChecks();
    EXPECT_TRUE(dialog.InterpolNone->isChecked());
    dialog.Percentages->trigger();
    EXPECT_EQ(path.flags, 2);
    dialog.InterpolNone->trigger();
    EXPECT_EQ(path.flags, 2) << "\"&keine\" keeps the gradients";
    dialog.InterpolHeights->trigger();
    EXPECT_EQ(path.flags, 18);
    EXPECT_TRUE(dialog.InterpolHeights->isChecked() && dialog.Percentages->isChecked());
    dialog.InterpolPoints->trigger();
    EXPECT_EQ(path.flags, 1) << "\"nur &Stützpunkte\" switches the gradients off";
    EXPECT_FALSE(dialog.Percentages->isChecked());
    EXPECT_TRUE(dialog.InterpolPoints->isChecked());
    dialog.Percentages->trigger();
    EXPECT_EQ(path.flags, 2);
    dialog.Percentages->trigger();
    EXPECT_EQ(path.flags, 0);
    dialog.InterpolBoth->trigger();
    dialog.Statistik->trigger();
    dialog.Hilfslinien->trigger();
    EXPECT_EQ(path.flags, 1 | 16 | 4 | 8);
    EXPECT_TRUE(dialog.InterpolBoth->isChecked() && dialog.Statistik->isChecked() && dialog.Hilfslinien->isChecked());
    dialog.PenWidth5->trigger();
    EXPECT_EQ(path.penWidth, 5);
    dialogs.colorAnswers.push_back(QColor(200, 0, 0));
    dialog.SelectColor->trigger();
    EXPECT_EQ(path.colour, QColor(200, 0, 0));

    // Saving: the dialog's texts, a readable bitmap, the source line.
    QTemporaryDir dir;
    dialogs.saveAnswers.push_back(dir.filePath("profil.bmp"));
    ASSERT_TRUE(dialog.savePicture());
    const Platform::FileDialogRequest& request = dialogs.fileRequests.back();
    EXPECT_EQ(request.caption, "Höhenprofil speichern");
    EXPECT_EQ(request.filter, "Bitmap (*.bmp)");
    EXPECT_EQ(request.defaultSuffix, "bmp");
    const QImage saved(dir.filePath("profil.bmp"), "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_GT(saved.height(), dialog.graphWindow()->height());
    int red = 0;
    for (int y = 0; y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x)
            red += saved.pixel(x, y) == qRgb(200, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 100) << "the graph in its colour, 5 pixels wide";
    dialogs.saveAnswers.push_back(dir.filePath("kein/ordner/profil.bmp"));
    EXPECT_FALSE(dialog.savePicture());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.back().text, "Konnte Datei nicht anlegen.");
    EXPECT_FALSE(dialog.savePicture()) << "cancelled";

    // Printing: cancelled prints nothing; one page as PDF.
    EXPECT_FALSE(dialog.print());
    EXPECT_EQ(dialogs.printDialogs, 1);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("profil.pdf"));
    dialog.printTo(printer);
    EXPECT_EQ(printer.docName(), "Höhenprofil");
    QFile pdf(dir.filePath("profil.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page>>") + bytes.count("/Type /Page "), 1);
    if (const QByteArray out = qgetenv("DHM_TEST_KEEP"); !out.isEmpty()) {
        QFile::copy(dir.filePath("profil.pdf"), QString::fromLocal8Bit(out) + ".pdf");
        QFile::copy(dir.filePath("profil.bmp"), QString::fromLocal8Bit(out) + ".bmp");
    }
}

// The profile function in the program started on the demo medium: the menu
// entry, clicking a line across the map, dragging a vertex (the profile
// follows), the popup, the jump to a position and leaving.
TEST(DHMProfileFunction, OnTheDemoMedium) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("dhm-test-") + QByteArray::number(getpid()));
    Platform::ScriptedDialogs dialogs;
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    TAppInitModule init(options);
    struct Cleanup {
        ~Cleanup() {
            MapFunction::Activate(nullptr);
            delete MainMapModule::instance();
        }
    } cleanup;
    ASSERT_TRUE(init.initApp());
    ASSERT_NE(Modul::DHM::instance(), nullptr);
    EXPECT_NE(Modul::DHM::instance()->model(2), 0u) << "the medium has both models";
    EXPECT_NE(Modul::DHM::instance()->model(3), 0u);
    TMainWindow* mainWindow = init.basis()->mainWindow();
    mainWindow->resize(1100, 800);
    mainWindow->show();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    module->DefCoordDynamic = false;
    TMapFunctionAction *profileAction = nullptr, *zoomAction = nullptr;
    for (TModularAction* action : mainWindow->registeredActions())
        if (action->menuPath() == QStringLiteral("&Funktion|&Höhenprofil"))
            profileAction = qobject_cast<TMapFunctionAction*>(action);
        else if (action->menuPath() == QStringLiteral("&Funktion|Z&oomen"))
            zoomAction = qobject_cast<TMapFunctionAction*>(action);
    ASSERT_TRUE(profileAction != nullptr && zoomAction != nullptr);
    EXPECT_EQ(profileAction->objectName(), "Modul_Function_DHMProfile");
    auto* function = dynamic_cast<DHMProfileFunction*>(profileAction->mapFunction());
    ASSERT_NE(function, nullptr);

    module->Sequence().SelectMap(3);
    module->SetZoom(1.0, std::nullopt);
    QWidget* client = module->WindowControl();
    ASSERT_NE(client, nullptr);
    for (int i = 0; i < 200 && !(client->isVisible() && client->width() > 400); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    ASSERT_GT(client->width(), 400);
    const int cx = client->width() / 2, cy = client->height() / 2;
    auto mouse = [&](QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, client->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, {});
        QApplication::sendEvent(client, &event);
    };
    auto click = [&](int x, int y) {
        mouse(QEvent::MouseButtonPress, x, y);
        mouse(QEvent::MouseButtonRelease, x, y);
    };

    profileAction->trigger();
    ASSERT_EQ(MapFunction::Active(), function);
    TDHMDialog* dialog = function->dialog();
    ASSERT_TRUE(dialog != nullptr && dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Höhenprofil");
    click(cx - 200, cy);
    click(cx + 200, cy);
    ASSERT_EQ(function->line().pointCount(), 2);
    ASSERT_EQ(function->path().points().size(), 2u);
    EXPECT_NEAR(function->path().horizontalLength(), 1000.0, 1.0) << "400 pixels of 2.5 m";
    QImage before = dialog->graphWindow()->render();
    DHM_Graph graph;
    dialog->graphWindow()->render(&graph);
    EXPECT_TRUE(graph.messages.isEmpty());
    EXPECT_GT(graph.minimum, 0);
    for (const DHM_Sample& s : graph.samples)
        EXPECT_NE(s.height, 0) << "the regional map lies inside the models";

    // Dragging the second vertex 100 pixels down: the line and the profile follow.
    mouse(QEvent::MouseButtonPress, cx + 201, cy + 1);
    mouse(QEvent::MouseButtonRelease, cx + 200, cy + 100);
    ASSERT_EQ(function->line().pointCount(), 2);
    EXPECT_NEAR(function->path().horizontalLength(), std::hypot(1000.0, 250.0), 1.0);
    EXPECT_NE(dialog->graphWindow()->render(), before);

    // The popup on a vertex deletes it; the profile falls back to the message.
    mouse(QEvent::MouseButtonPress, cx - 200, cy, Qt::RightButton);
    TUD2_DeletePopup& popup = TUD2_DeletePopup::instance();
    EXPECT_TRUE(popup.RemovePoint->isVisible());
    popup.hide();
    popup.RemovePoint->trigger();
    EXPECT_EQ(function->line().pointCount(), 1);
    dialog->graphWindow()->render(&graph);
    EXPECT_EQ(graph.messages.value(0), "Nur ein Punkt markiert");

    // Jumping to 500 m along a new line centres the map there.
    click(cx - 200, cy);
    ASSERT_EQ(function->path().points().size(), 2u);
    const Coord start = [&] {
        Coord window{0xC001, 0, double(cx + 200), double(cy + 100)}, g{1, 3};
        EXPECT_TRUE(module->Transform(window, g));
        return g;
    }();
    ASSERT_TRUE(function->jumpTo(function->path().horizontalLength() / 2));
    Coord centre{1, 3};
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(std::hypot(centre.x - start.x, centre.y - start.y), std::hypot(1000.0, 250.0) / 2, 3.0);

    // The same through the graph: a left click in the middle of the plot
    // offers "Zu &Position springen", which centres the map there.
    module->SetCentre(start, true);
    DHMProfileWindow* graphWindow = dialog->graphWindow();
    DHM_Graph shown;
    graphWindow->render(&shown);
    const QRect plot = shown.plot;
    ASSERT_FALSE(plot.isEmpty());
    const QPointF middle(plot.left() + plot.width() / 2.0, plot.center().y());
    QMouseEvent press(QEvent::MouseButtonPress, middle, graphWindow->mapToGlobal(middle), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(graphWindow, &press);
    EXPECT_TRUE(dialog->GraphClickMenu->isVisible());
    EXPECT_NEAR(dialog->pendingJumpDistance(), function->path().horizontalLength() / 2, 5.0);
    dialog->GraphClickMenu->hide();
    dialog->JumpToPosition->trigger();
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(std::hypot(centre.x - start.x, centre.y - start.y), std::hypot(1000.0, 250.0) / 2, 8.0);

    // Leaving hides the window.
    zoomAction->trigger();
    EXPECT_FALSE(dialog->isVisible());
    profileAction->trigger();
    EXPECT_TRUE(dialog->isVisible());
}

// vistrel-tool profile: the same samples and totals as the profile window,
// and clear failures.
TEST(ProfileCommand, SamplesTotalsAndErrors) {
    Models m(false);
    auto run = [&](const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(VISTREL_TOOL), QStringList{QStringLiteral("profile")} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (err != nullptr)
            *err = QString::fromUtf8(p.readAllStandardError());
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    const QString a = QString::number(E0 + 400, 'f', 0) + "," + QString::number(N0 + 2000, 'f', 0);
    const QString b = QString::number(E0 + 2000, 'f', 0) + "," + QString::number(N0 + 2000, 'f', 0);
    const QString c = QString::number(E0 + 3600, 'f', 0) + "," + QString::number(N0 + 2000, 'f', 0);
    auto [code, out] = run({m.dir.path(), a, b, c});
    ASSERT_EQ(code, 0) << out.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0].simplified(), "0.0 400.0");
    EXPECT_EQ(lines[1].simplified(), "1600.0 200.0");
    EXPECT_EQ(lines[2].simplified(), "3200.0 400.0");
    EXPECT_EQ(lines[3], "length: 3224.9 m");
    EXPECT_EQ(lines[4], "Anstieg: 200 m auf 1.61 km");
    EXPECT_EQ(lines[5], "Abstieg: 200 m auf 1.61 km");

    // As the window samples a graph 400 pixels wide.
    DHM_Path path(&m.dhm);
    path.flags = DHM_Path::SupportPoints;
    path.addPoint(gk(E0 + 400, N0 + 2000));
    path.addPoint(gk(E0 + 2000, N0 + 2000));
    path.addPoint(gk(E0 + 3600, N0 + 2000));
    const std::vector<DHM_Sample> samples = path.samples(400);
    std::tie(code, out) = run({m.dir.path(), a, b, c, "--points", "400", "--csv"});
    ASSERT_EQ(code, 0);
    const QStringList csv = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), int(samples.size()) + 4);
    EXPECT_EQ(csv[0], "distance_m;height_m");
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(csv[int(i) + 1].toStdString(),
                  QString::asprintf("%.1f;%.1f", samples[i].distance, samples[i].height / 10.0).toStdString());
    // The nearest-pixel steps make the sampled line longer than the plain one.
    EXPECT_EQ(csv[int(samples.size()) + 1].toStdString(),
              QString::asprintf("length_m;%.1f", DHM_Path::totals(samples).length).toStdString());

    // Outside every model; no model; bad input.
    QString err;
    const QString outside = QString::number(E0 + 20000, 'f', 0) + "," + QString::number(N0, 'f', 0);
    std::tie(code, out) = run({m.dir.path(), a, outside}, &err);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains("outside every elevation model")) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    QTemporaryDir empty;
    std::tie(code, out) = run({empty.path(), a, b}, &err);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains("no elevation model"));
    std::tie(code, out) = run({m.dir.path(), a, "3401000;5502000"}, &err);
    EXPECT_EQ(code, 2);
    std::tie(code, out) = run({m.dir.path(), a}, &err);
    EXPECT_EQ(code, 2) << "one point is no line";
    std::tie(code, out) = run({m.dir.path(), a, b, "--points", "x"}, &err);
    EXPECT_EQ(code, 2);
}
