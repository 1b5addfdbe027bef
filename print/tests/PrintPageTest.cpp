// Whole prints of the demo medium: in the started program, its main window
// shown as the program shows it (true scale and scale bar on paper, the
// fitted window content, the map's corner, the print action with its
// dialogs), and by the program itself from the command line.
#include "BatchPrint.h"
#include "PrintMapWindowDialog.h"
#include "PrintModule.h"
#include "PrintObject.h"

#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ScriptedDialogs.h"
#include "SingleInstance.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalServer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

namespace {

constexpr int Dpi = 600;
const QString Medium = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);

// The medium's start-up centre from CD.TXT: Gauss-Krüger easting, northing.
QPointF demoCentre() {
    QFile file(Medium + "/KARTEN/CD.TXT");
    const QStringList values =
        file.open(QIODevice::ReadOnly)
            ? QString::fromLatin1(file.readAll()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)
            : QStringList();
    return values.size() < 3 ? QPointF() : QPointF(values[1].toDouble(), values[2].toDouble());
}

// A Gauss-Krüger position of the map library: x northing, y easting.
Coord gk(double easting, double northing) {
    return {1, static_cast<uint32_t>(easting / 1000000), northing, easting};
}

// Page 1 of a PDF at `dpi` through pdftoppm (only `crop`, when given).
QImage renderPdf(const QString& pdf, int dpi, const QRect& crop = {}) {
    QTemporaryDir dir;
    QStringList arguments{"-r", QString::number(dpi), "-f", "1", "-l", "1", "-png", "-singlefile"};
    if (!crop.isEmpty())
        arguments << "-x" << QString::number(crop.x()) << "-y" << QString::number(crop.y()) << "-W"
                  << QString::number(crop.width()) << "-H" << QString::number(crop.height());
    QProcess render;
    render.start("pdftoppm", arguments << pdf << dir.path() + "/page");
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return {};
    return QImage(dir.path() + "/page.png").convertToFormat(QImage::Format_RGB32);
}

// The centre of the red pixels in the box.
std::optional<QPointF> redCentre(const QImage& image, const QRect& box) {
    double sx = 0, sy = 0;
    long count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (const QRgb p = image.pixel(x, y); qRed(p) > 200 && qGreen(p) < 40 && qBlue(p) < 40) {
                sx += x;
                sy += y;
                ++count;
            }
    return count ? std::optional(QPointF(sx / count, sy / count)) : std::nullopt;
}

// Dark pixel runs of at least `minimum` pixels in one row: (start, length).
std::vector<std::pair<int, int>> darkRuns(const QImage& image, int y, int minimum) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0, start = -1; x <= image.width(); ++x) {
        const bool dark = x < image.width() && qGray(image.pixel(x, y)) < 80;
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0) {
            if (x - start >= minimum)
                runs.emplace_back(start, x - start);
            start = -1;
        }
    }
    return runs;
}

// Draws a red square, 2 mm wide on paper, on each Gauss-Krüger position,
// through the event's conversion as every layer does.
class MarkLayer : public MapEventListener {
public:
    std::vector<Coord> places;
    int printed = 0;
    void Paint(MapEventInfo& info) override {
        if (info.IsScreen() || info.canvas == nullptr)
            return;
        const double half = info.canvas->device()->logicalDpiX() / 25.4;
        for (const Coord& place : places) {
            Coord window{};
            window.type = TLM_COORD_WINDOW_CLIENT;
            if (info.Transform(place, window)) {
                ++printed;
                info.canvas->fillRect(QRectF(window.x - half, window.y - half, 2 * half, 2 * half), Qt::red);
            }
        }
    }
};

// A map function that counts its paints on the printer: what the active
// function has put on the map (a measured line) is printed with it.
class PrintedFunction : public MapFunction {
public:
    int printed = 0;
    void Paint(MapEventInfo& info) override {
        if (!info.IsScreen() && info.canvas != nullptr)
            ++printed;
    }
};

// The print hook's calls, in order.
class RecordingHook : public PrintMapWindowListener {
public:
    QStringList calls;
    bool mayPrint = true;
    bool MayPrint() override {
        calls << "may print";
        return mayPrint;
    }
    void BeforePrinting(PrintObject&) override { calls << "before"; }
    void PagePrinted(QPainter&, const QRect& page) override { calls << QString("page %1").arg(page.isEmpty()); }
    void AfterPrinting(QPainter&) override { calls << "after"; }
};

// Print dialogs that send the print into a PDF file.
class PdfDialogs : public Platform::ScriptedDialogs {
public:
    QString output;
    bool printDialog(QWidget*, QPrinter* printer) override {
        ++printDialogs;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(output);
        printer->setResolution(150);
        return true;
    }
};

// Single-instance keys of this process: the program started in it, and the
// programs it starts.
QByteArray instanceKey(const char* who) {
    return QByteArray("print-") + who + "-" + QByteArray::number(getpid());
}

// The program started once on the demo medium for every test of the suite;
// each test sets the map, centre and window it needs.
class PrintPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("VISTREL_INSTANCE_KEY", instanceKey("page"));
        sysconf = new QTemporaryDir;
        qputenv("VISTREL_SYSCONFDIR", sysconf->path().toUtf8());
        Platform::ScriptedDialogs startDialogs;
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = Medium;
        init = new TAppInitModule(options);
        if (!init->initApp())
            return;
        // As the program does it: the map window has its size only once shown.
        init->basis()->mainWindow()->showMaximized();
        BatchPrint::WaitForLayout();
        module = PrintModule::instance();
    }
    static void TearDownTestSuite() {
        delete MainMapModule::instance();
        delete init;
        delete sysconf;
    }
    void SetUp() override {
        ASSERT_NE(module, nullptr) << "the program started on the demo medium";
        centre = demoCentre();
        ASSERT_FALSE(centre.isNull());
    }
    void TearDown() override {
        marks.Detach();
        module->Listener = nullptr;
    }

    static inline QTemporaryDir* sysconf = nullptr;
    static inline TAppInitModule* init = nullptr;
    static inline PrintModule* module = nullptr;
    QPointF centre; // easting, northing
    QTemporaryDir out;
    Platform::ScriptedDialogs dialogs;
    MarkLayer marks;
};

} // namespace

TEST_F(PrintPage, ScaleAndScaleBarMeasureTrueOnPaper) {
    // Two marks 1 km apart east-west around the centre, printed at 1:25000.
    marks.places = {gk(centre.x() - 500, centre.y()), gk(centre.x() + 500, centre.y())};
    marks.Attach();
    BatchPrint::Options options;
    options.output = out.filePath("scale.pdf");
    options.easting = centre.x();
    options.northing = centre.y();
    options.map = 3;
    options.dpi = Dpi;
    QString error;
    ASSERT_TRUE(BatchPrint::PrintView(options, error)) << error.toStdString();
    ASSERT_EQ(marks.printed, 2) << "the layer painted on the printer";

    const QSize pageSize(Dpi * 210 / 25.4, Dpi * 297 / 25.4);
    const QImage page = renderPdf(options.output, Dpi, QRect(0, pageSize.height() / 2 - 400, pageSize.width(), 800));
    ASSERT_FALSE(page.isNull());
    // Each mark looked for within 6 mm of where it belongs: red map symbols
    // elsewhere stay out of the measurement.
    const int half = page.width() / 2;
    const int mm = qRound(Dpi / 25.4);
    const auto west = redCentre(page, QRect(half - 26 * mm, 0, 12 * mm, page.height()));
    const auto east = redCentre(page, QRect(half + 14 * mm, 0, 12 * mm, page.height()));
    ASSERT_TRUE(west && east) << "both marks are on the page";
    EXPECT_NEAR(std::hypot(east->x() - west->x(), east->y() - west->y()) / Dpi * 25.4, 40.0, 40.0 * 0.005)
        << "1 km at 1:25000";
    EXPECT_NEAR(west->x() + east->x(), page.width(), page.width() * 0.02) << "the centre in the middle of the map";

    // The scale bar at the bottom: 500 m steps, black and white. The white
    // ones' outlines make the black runs look longer: measure start to start.
    const double segment = 500.0 * 1000 / 25000 / 25.4 * Dpi;
    const QImage bottom = renderPdf(options.output, Dpi, QRect(0, pageSize.height() - 1200, pageSize.width(), 1200));
    ASSERT_FALSE(bottom.isNull());
    std::vector<std::pair<int, int>> runs;
    for (int y = bottom.height() - 1; y > 0 && runs.size() < 3; --y)
        runs = darkRuns(bottom, y, static_cast<int>(segment * 0.8));
    ASSERT_GE(runs.size(), 3u) << "three black segments of the bar";
    for (std::size_t k = 0; k + 1 < runs.size(); ++k)
        EXPECT_NEAR((runs[k + 1].first - runs[k].first) / 2.0, segment, segment * 0.005) << "segments " << k;
}

TEST_F(PrintPage, CentreNearTheCornerPrintsFromTheCorner) {
    MainMapModule* maps = MainMapModule::instance();
    maps->Sequence().SelectMap(3);
    Coord corner{};
    corner.type = TLM_COORD_MAP_PIXEL;
    corner.zone = maps->Window()->MapHandle();
    maps->SetCentre(corner, true);
    QCoreApplication::processEvents();

    PrintedFunction function;
    ASSERT_TRUE(MapFunction::Activate(&function));
    PrintObject print(*module, 25000, true);
    print.Printer().setOutputFormat(QPrinter::PdfFormat);
    print.Printer().setOutputFileName(out.filePath("corner.pdf"));
    print.Printer().setResolution(300);
    ASSERT_TRUE(print.Print());
    EXPECT_EQ(function.printed, 1) << "the active function paints on the page";
    MapFunction::ActivateDefault();
    EXPECT_EQ(print.PrintOffsetX(), 0) << "not centred beyond the map's edge";
    EXPECT_EQ(print.PrintOffsetY(), 0);
    // The library zooms in steps of its tiles: close to 1:25000.
    EXPECT_NEAR(print.MetresPerPixel(), 25.4 / 300 * 25, 25.4 / 300 * 25 * 0.005);
    Coord origin{};
    origin.type = TLM_COORD_WINDOW_CLIENT;
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    ASSERT_TRUE(print.Transform(origin, pixel));
    EXPECT_EQ(QPointF(pixel.x, pixel.y), QPointF(0, 0)) << "the page's corner is the map's corner";
}

TEST_F(PrintPage, PrintActionWithDialogs) {
    // Registered after the map actions, so that it follows them in the menu.
    const QList<TModularAction*> actions = init->basis()->mainWindow()->registeredActions();
    const auto at = [&](auto match) { return std::find_if(actions.begin(), actions.end(), match) - actions.begin(); };
    const auto print = at([](TModularAction* a) { return a->menuPath() == "&Karte|(CAT_PRINT)|Drucken"; });
    ASSERT_LT(print, actions.size());
    EXPECT_GT(print, at([](TModularAction* a) { return a == MainMapModule::instance()->Sequence().Action(3); }));

    PdfDialogs pdf;
    pdf.output = out.filePath("action.pdf");
    RecordingHook hook;
    module->Listener = &hook;
    const auto answer = [](const char* scale, const char* subtitle) {
        QTimer::singleShot(0, [scale, subtitle] {
            auto* dialog = qobject_cast<TPrintMapWindowDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->radMassstab->click();
            dialog->sleMassstab->setText(scale);
            dialog->mleTitle->setPlainText(subtitle);
            dialog->pshOK->click();
        });
    };
    answer("50000", "Zeile A\n\nZeile B ");
    EXPECT_TRUE(module->Print());
    EXPECT_GT(QFileInfo(pdf.output).size(), 1000) << "printed";
    EXPECT_EQ(module->SubTitle, "Zeile A\n\nZeile B ") << "kept for the next print";
    EXPECT_EQ(hook.calls, QStringList({"may print", "before", "page 0", "after"}));
    EXPECT_TRUE(pdf.messages.isEmpty());

    // A print that cannot be written is not passed over in silence.
    pdf.output = "/nonexistent-folder/action.pdf";
    answer("25000", "");
    EXPECT_TRUE(module->Print());
    ASSERT_EQ(pdf.messages.size(), 1);
    EXPECT_EQ(pdf.messages[0].caption, "Fehler beim Drucken");

    // The hook may refuse: no dialog at all.
    hook.mayPrint = false;
    EXPECT_FALSE(module->Print());
    EXPECT_EQ(pdf.printDialogs, 2);
}

// Last: it leaves the window small.
TEST_F(PrintPage, ContentModeFillsLandscapeWidth) {
    // The regional map, larger than the window; a window twice as wide as high.
    MainMapModule* maps = MainMapModule::instance();
    maps->Sequence().SelectMap(3);
    QWidget* mainWindow = init->basis()->mainWindow();
    mainWindow->showNormal();
    const QSize client(640, 320);
    for (int round = 0; round < 4; ++round) {
        const QSize now = maps->Window()->viewport()->size();
        mainWindow->resize(mainWindow->size() + client - now);
        BatchPrint::WaitForLayout();
    }
    ASSERT_EQ(maps->Window()->viewport()->size(), client);

    const Coord place = gk(centre.x(), centre.y());
    maps->SetCentre(place, true);
    Coord onScreen{};
    onScreen.type = TLM_COORD_WINDOW_CLIENT;
    ASSERT_TRUE(maps->Transform(place, onScreen));
    // The ground across the window, both ends in the centre's strip (the
    // region straddles a strip border).
    Coord left{};
    left.type = TLM_COORD_WINDOW_CLIENT;
    Coord right = left;
    right.x = client.width();
    Coord groundLeft = place;
    Coord groundRight = place;
    ASSERT_TRUE(maps->Transform(left, groundLeft) && maps->Transform(right, groundRight));
    const double windowGround = std::hypot(groundRight.x - groundLeft.x, groundRight.y - groundLeft.y);

    PrintObject print(*module, 0, true);
    print.MarginText = module->MarginText(QString());
    print.Printer().setOutputFormat(QPrinter::PdfFormat);
    print.Printer().setOutputFileName(out.filePath("content.pdf"));
    print.Printer().setResolution(Dpi);
    print.Printer().setPageSize(QPageSize(QPageSize::A4));
    print.Printer().setPageOrientation(QPageLayout::Landscape);
    // Printed twice: the second print lays the page out the same way.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(print.Print());
        const PrintLayout::PrintArea& area = print.Area();
        const TLM_RECT map = print.MapRect();
        EXPECT_GT(area.widthPx, area.heightPx) << "landscape";
        EXPECT_NEAR(map.right, area.widthPx, area.widthPx * 0.01) << "the page width is filled";
        EXPECT_NEAR(map.bottom, map.right / 2, 2);
        const double groundPerPaper = windowGround * 1000 / (map.right * area.millimetresPerPixel());
        EXPECT_EQ(print.Scale(), PrintLayout::roundedScale(groundPerPaper)) << groundPerPaper;
        // A place on the screen lands at the same place of the fitted page.
        Coord onPaper{};
        onPaper.type = TLM_COORD_WINDOW_CLIENT;
        ASSERT_TRUE(print.Transform(place, onPaper));
        const double s = double(map.right) / client.width();
        EXPECT_NEAR(onPaper.x, onScreen.x * s, s + 1) << round;
        EXPECT_NEAR(onPaper.y, onScreen.y * s, s + 1) << round;
    }
}

namespace {

struct Outcome {
    int exitCode = -1;
    QString errors;
};

QProcessEnvironment viewerEnvironment(const QString& sysconf) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VISTREL_INSTANCE_KEY", QString::fromUtf8(instanceKey("batch")));
    environment.insert("VISTREL_SYSCONFDIR", sysconf);
    environment.remove("VISTREL_DATA");
    return environment;
}

Outcome runViewer(const QStringList& arguments) {
    QTemporaryDir sysconf;
    QProcess viewer;
    viewer.setProcessEnvironment(viewerEnvironment(sysconf.path()));
    viewer.start(QStringLiteral(VISTREL_PROGRAM), arguments);
    if (!viewer.waitForFinished(120000)) {
        viewer.kill();
        viewer.waitForFinished();
        return {};
    }
    return {viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -2,
            QString::fromUtf8(viewer.readAllStandardError())};
}

} // namespace

TEST(BatchPrint, PrintsTheViewAndEnds) {
    const QPointF centre = demoCentre();
    ASSERT_FALSE(centre.isNull());
    QTemporaryDir out;
    const QString portrait = out.filePath("portrait.pdf");
    const QString landscape = out.filePath("landscape.pdf");
    const QString at = QString("%1,%2").arg(centre.x(), 0, 'f', 0).arg(centre.y(), 0, 'f', 0);
    const struct {
        QStringList arguments;
        QString pdf;
        bool lying;
    } cases[] = {
        {{"--print-pdf", portrait, "--scale", "25000", "--centre", at, "--map", "3"}, portrait, false},
        {{"--print-pdf=" + landscape, "--scale", "0", "--landscape"}, landscape, true},
    };
    for (const auto& c : cases) {
        const Outcome run = runViewer(QStringList{"--data", Medium, "--dpi", "150"} + c.arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QImage page = renderPdf(c.pdf, 30);
        ASSERT_FALSE(page.isNull()) << "a PDF page was written";
        EXPECT_EQ(page.width() > page.height(), c.lying);
    }

    // Beside an open viewer the print is made, not handed over to it.
    QTemporaryDir sysconf;
    QProcess open;
    open.setProcessEnvironment(viewerEnvironment(sysconf.path()));
    open.start(QStringLiteral(VISTREL_PROGRAM), {"--data", Medium});
    ASSERT_TRUE(open.waitForStarted(10000));
    EXPECT_FALSE(open.waitForFinished(3000)) << "the viewer is up and answers as the one instance";
    const Outcome beside = runViewer({"--data", Medium, "--print-pdf", out.filePath("beside.pdf"), "--dpi", "100"});
    EXPECT_EQ(beside.exitCode, 0) << beside.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out.filePath("beside.pdf")));
    EXPECT_EQ(open.state(), QProcess::Running);
    open.kill();
    open.waitForFinished(10000);
    // A killed viewer leaves its socket file behind.
    qputenv("VISTREL_INSTANCE_KEY", instanceKey("batch"));
    QLocalServer::removeServer(SingleInstance::serverName("vistrel (32-Bit-Version)"));
}

TEST(BatchPrint, FailuresSayWhyInGerman) {
    QTemporaryDir out;
    const QString pdf = out.filePath("x.pdf");
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"--data", Medium, "--print-pdf", pdf, "--scale", "abc"}, "Ungültiger Maßstab"},
        {{"--data", Medium, "--print-pdf", pdf, "--scale", "-5"}, "Ungültiger Maßstab"},
        {{"--data", Medium, "--print-pdf"}, "--print-pdf"},
        {{"--data", Medium, "--print-pdf", pdf, "--centre", "12"}, "Ungültiger Mittelpunkt"},
        {{"--data", Medium, "--print-pdf", pdf, "--centre", "3000000,5000000"}, "liegt nicht auf der Karte"},
        {{"--data", Medium, "--print-pdf", pdf, "--map", "9"}, "Karte 9 gibt es nicht"},
        {{"--data", Medium, "--print-pdf", "/nonexistent-folder/x.pdf"}, "konnte nicht geschrieben werden"},
        {{"--data", out.filePath("nothing-here"), "--print-pdf", pdf}, "nichts gedruckt"},
    };
    for (const auto& c : cases) {
        const Outcome run = runViewer(c.arguments);
        const QString message = QString::fromUtf8(c.message);
        EXPECT_GT(run.exitCode, 0) << c.message;
        EXPECT_TRUE(run.errors.contains(message)) << c.message << ": " << run.errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf)) << c.message;
    }
}
