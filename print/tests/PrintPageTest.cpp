// Whole prints of the demo medium in the started program, its main window
// shown as the program shows it: the scale of the printed map, the scale
// bar, the fitted window content, the corner of the map, and the print
// action with its dialogs.
#include "BatchPrint.h"
#include "PrintModule.h"
#include "PrintObject.h"
#include "PrintTestSupport.h"

#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "PrintMapWindowDialog.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

using PrintTestSupport::centroid;
using PrintTestSupport::isMarkRed;

namespace {

constexpr int Dpi = 600;

Coord gk(double easting, double northing) {
    Coord c{};
    c.type = 1;
    c.zone = static_cast<uint32_t>(easting / 1000000);
    c.x = northing;
    c.y = easting;
    return c;
}

// Draws a red square, 2 mm wide on paper, on each of its Gauss-Krüger
// positions, through the event's conversion as every layer does.
class MarkLayer : public MapEventListener {
public:
    std::vector<Coord> places;
    std::vector<QPointF> printed; // printer pixels
    void Paint(MapEventInfo& info) override {
        if (info.IsScreen() || info.canvas == nullptr)
            return;
        const double half = info.canvas->device()->logicalDpiX() / 25.4;
        for (const Coord& place : places) {
            Coord window{};
            window.type = TLM_COORD_WINDOW_CLIENT;
            if (!info.Transform(place, window))
                continue;
            printed.emplace_back(window.x, window.y);
            info.canvas->fillRect(QRectF(window.x - half, window.y - half, 2 * half, 2 * half), Qt::red);
        }
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

// Dark pixel runs of at least `minimum` pixels in one row: (start, length).
std::vector<std::pair<int, int>> darkRuns(const QImage& image, int y, int minimum) {
    std::vector<std::pair<int, int>> runs;
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool dark = x < image.width() && qGray(line[x]) < 80;
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

class PrintPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { medium = PrintTestSupport::demoMedium(); }

    void SetUp() override {
        ASSERT_FALSE(medium.isEmpty()) << "the demo medium could be made";
        ASSERT_TRUE(PrintTestSupport::demoCentre(easting, northing));
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("print-page-test-") + QByteArray::number(getpid()));
        qputenv("VISTREL_SYSCONFDIR", sysconf.path().toUtf8());
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium;
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        // As the program does it: the map window has its size only once shown.
        init->basis()->mainWindow()->showMaximized();
        BatchPrint::WaitForLayout();
        module = PrintModule::instance();
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override {
        marks.Detach();
        if (module)
            module->Listener = nullptr;
        delete MainMapModule::instance();
        init.reset();
    }

    static QString medium;
    double easting = 0;
    double northing = 0;
    QTemporaryDir sysconf;
    QTemporaryDir out;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    PrintModule* module = nullptr;
    MarkLayer marks;
};

QString PrintPage::medium;

} // namespace

TEST_F(PrintPage, ModuleAndActionAtTheirPlaces) {
    EXPECT_EQ(module->PaperWidth, 297);
    EXPECT_EQ(module->PaperHeight, 210);
    EXPECT_EQ(module->DefaultScale, 25000);
    EXPECT_TRUE(module->SubTitleShown);
    EXPECT_TRUE(module->ContentModeAllowed && module->ScaleModeAllowed && module->ScaleBarDefault);
    EXPECT_FALSE(module->RightsLine.isEmpty());
    EXPECT_FALSE(module->RightsLine.contains('\n')) << "one line";
    EXPECT_EQ(module->InitialScale(), 25000) << "no map of the sequence names a print scale at start-up";

    const QList<TModularAction*> actions = init->basis()->mainWindow()->registeredActions();
    int print = -1;
    int lastMap = -1;
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->menuPath() == "&Karte|(CAT_PRINT)|Drucken")
            print = i;
        if (actions[i] == MainMapModule::instance()->Sequence().Action(3))
            lastMap = i;
    }
    ASSERT_GE(print, 0) << "the print action is registered";
    EXPECT_GT(print, lastMap);
    module->OwnMenu = true;
    EXPECT_EQ(module->MenuPath(), "&Drucken|&Karte...");
}

TEST_F(PrintPage, ScaleAndScaleBarMeasureTrueOnPaper) {
    // Two marks 1 km apart east-west around the medium's centre.
    marks.places = {gk(easting - 500, northing), gk(easting + 500, northing)};
    marks.Attach();
    BatchPrint::Options options;
    options.output = out.filePath("scale.pdf");
    options.scale = 25000;
    options.easting = easting;
    options.northing = northing;
    options.map = 3;
    options.dpi = Dpi;
    QString error;
    ASSERT_TRUE(BatchPrint::PrintView(options, error)) << error.toStdString();
    ASSERT_EQ(marks.printed.size(), 2u) << "the layer painted on the printer";

    // Two strips of the page at the print's resolution: the marks in the
    // middle, the scale bar at the bottom.
    const QSize pageSize(Dpi * 210 / 25.4, Dpi * 297 / 25.4);
    const QImage page =
        PrintTestSupport::renderPdf(options.output, Dpi, QRect(0, pageSize.height() / 2 - 400, pageSize.width(), 800));
    ASSERT_FALSE(page.isNull());
    const int half = page.width() / 2;
    const auto west = centroid(page, QRect(0, 0, half, page.height()), isMarkRed);
    const auto east = centroid(page, QRect(half, 0, page.width() - half, page.height()), isMarkRed);
    ASSERT_TRUE(west && east) << "both marks are on the page";
    const double millimetres = std::hypot(east->x() - west->x(), east->y() - west->y()) / Dpi * 25.4;
    EXPECT_NEAR(millimetres, 40.0, 40.0 * 0.005) << "1 km at 1:25000";
    EXPECT_NEAR(west->x() + east->x(), page.width(), page.width() * 0.02) << "the centre in the middle of the map";

    // The scale bar: 500 m steps, black and white, in the lower part of the page.
    const double segment = 500.0 * 1000 / 25000 / 25.4 * Dpi; // 20 mm in pixels
    const QImage bottom =
        PrintTestSupport::renderPdf(options.output, Dpi, QRect(0, pageSize.height() - 1200, pageSize.width(), 1200));
    ASSERT_FALSE(bottom.isNull());
    std::vector<std::pair<int, int>> runs;
    for (int y = bottom.height() - 1; y > 0 && runs.size() < 3; --y)
        runs = darkRuns(bottom, y, static_cast<int>(segment * 0.8));
    ASSERT_GE(runs.size(), 3u) << "three black segments of the bar";
    // A black and a white segment from one black one to the next: the
    // white ones' outlines make the black runs look two pixels longer.
    for (std::size_t k = 0; k + 1 < runs.size(); ++k)
        EXPECT_NEAR((runs[k + 1].first - runs[k].first) / 2.0, segment, segment * 0.005) << "segments " << k;
    const double period = double(runs.back().first - runs.front().first) / (2.0 * (runs.size() - 1));
    EXPECT_NEAR(period, segment, segment * 0.005) << "segment length over the whole bar";
}

TEST_F(PrintPage, ContentModeFillsLandscapeWidth) {
    // The regional map, larger than the window; a window twice as wide as high.
    MainMapModule::instance()->Sequence().SelectMap(3);
    QWidget* mainWindow = init->basis()->mainWindow();
    TTolmWindow* window = MainMapModule::instance()->Window();
    mainWindow->showNormal();
    for (int round = 0; round < 4; ++round) {
        const QSize client = window->viewport()->size();
        mainWindow->resize(mainWindow->width() + 640 - client.width(), mainWindow->height() + 320 - client.height());
        BatchPrint::WaitForLayout();
    }
    const QSize client = window->viewport()->size();
    ASSERT_EQ(client, QSize(640, 320));

    // A place on the screen lands at the same place of the fitted page.
    Coord place = gk(easting, northing);
    MainMapModule::instance()->SetCentre(place, true);
    Coord onScreen{};
    onScreen.type = TLM_COORD_WINDOW_CLIENT;
    ASSERT_TRUE(MainMapModule::instance()->Transform(place, onScreen));
    Coord left{};
    left.type = TLM_COORD_WINDOW_CLIENT;
    Coord right = left;
    right.x = client.width();
    // Both ends in the strip of the medium's centre: the region straddles a strip border.
    Coord groundLeft = gk(easting, northing);
    Coord groundRight = groundLeft;
    ASSERT_TRUE(MainMapModule::instance()->Transform(left, groundLeft));
    ASSERT_TRUE(MainMapModule::instance()->Transform(right, groundRight));
    const double windowGround = std::hypot(groundRight.x - groundLeft.x, groundRight.y - groundLeft.y);

    PrintObject print(*module, 0, true);
    print.MarginText = module->MarginText(QString());
    print.Printer().setOutputFormat(QPrinter::PdfFormat);
    print.Printer().setOutputFileName(out.filePath("content.pdf"));
    print.Printer().setResolution(Dpi);
    print.Printer().setPageSize(QPageSize(QPageSize::A4));
    print.Printer().setPageOrientation(QPageLayout::Landscape);
    ASSERT_TRUE(print.Print());

    const PrintLayout::PrintArea& area = print.Area();
    EXPECT_GT(area.widthPx, area.heightPx) << "landscape";
    EXPECT_NEAR(print.MapRect().right, area.widthPx, area.widthPx * 0.01) << "the page width is filled";
    EXPECT_NEAR(print.MapRect().bottom, print.MapRect().right / 2, 2);
    EXPECT_LT(print.MapRect().bottom, area.heightPx);

    const double groundPerPaper = windowGround * 1000 / (print.MapRect().right * area.millimetresPerPixel());
    EXPECT_EQ(print.Scale(), PrintLayout::roundedScale(groundPerPaper)) << groundPerPaper;
    const QString digits = QString::number(print.Scale());
    EXPECT_TRUE(digits.mid(2).count('0') == digits.size() - 2 || digits.startsWith("100"))
        << "two significant digits: " << print.Scale();

    Coord onPaper{};
    onPaper.type = TLM_COORD_WINDOW_CLIENT;
    ASSERT_TRUE(print.Transform(place, onPaper));
    const double s = double(print.MapRect().right) / client.width();
    EXPECT_NEAR(onPaper.x, onScreen.x * s, s + 1);
    EXPECT_NEAR(onPaper.y, onScreen.y * s, s + 1);

    // A second print of the same object lays the page out the same way.
    const TLM_RECT first = print.MapRect();
    const int firstScale = print.Scale();
    const int firstX = print.PrintOffsetX();
    ASSERT_TRUE(print.Print());
    EXPECT_EQ(print.MapRect().right, first.right);
    EXPECT_EQ(print.MapRect().bottom, first.bottom);
    EXPECT_EQ(print.Scale(), firstScale);
    EXPECT_EQ(print.PrintOffsetX(), firstX);
}

TEST_F(PrintPage, CentreNearTheCornerPrintsFromTheCorner) {
    MainMapModule* maps = MainMapModule::instance();
    maps->Sequence().SelectMap(3);
    Coord corner{};
    corner.type = TLM_COORD_MAP_PIXEL;
    corner.zone = maps->Window()->MapHandle();
    maps->SetCentre(corner, true);
    QCoreApplication::processEvents();

    PrintObject print(*module, 25000, true);
    print.Printer().setOutputFormat(QPrinter::PdfFormat);
    print.Printer().setOutputFileName(out.filePath("corner.pdf"));
    print.Printer().setResolution(300);
    ASSERT_TRUE(print.Print());
    EXPECT_EQ(print.PrintOffsetX(), 0) << "not centred beyond the map's edge";
    EXPECT_EQ(print.PrintOffsetY(), 0);
    EXPECT_EQ(print.Scale(), 25000);
    // The library sets the zoom in steps of its tiles: close to 1:25000.
    EXPECT_NEAR(print.MetresPerPixel(), 25.4 / 300 * 25, 25.4 / 300 * 25 * 0.005);
    // The window's corner is the page's corner.
    Coord origin{};
    origin.type = TLM_COORD_WINDOW_CLIENT;
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    ASSERT_TRUE(print.Transform(origin, pixel));
    EXPECT_DOUBLE_EQ(pixel.x, 0.0);
    EXPECT_DOUBLE_EQ(pixel.y, 0.0);
}

TEST_F(PrintPage, PrintActionWithDialogs) {
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
            dialog->mleTitle->setPlainText(QString::fromUtf8(subtitle));
            dialog->pshOK->click();
        });
    };
    answer("50000", "Zeile A\n\nZeile B ");
    EXPECT_TRUE(module->Print());
    EXPECT_EQ(pdf.printDialogs, 1);
    EXPECT_TRUE(QFileInfo(pdf.output).size() > 1000) << "printed";
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
