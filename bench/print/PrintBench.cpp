// One printed page of the demo medium, in the started program with its main
// window shown (offscreen), to a PDF file:
// - A4 upright at 1:25000 and 600 dpi, the print the goal is set for
//   (under 5 s and 512 MiB), beside the same page at 300 dpi and beside
//   the fitted window content on A4 lying at 600 dpi;
// - two layers paint on every page as a measured line and boundary lines
//   would: a polyline with its labels and dashed lines across the page.
// Counters: the process's peak resident memory (getrusage) after the runs,
// and the size of the PDF. PRINT_BENCH_MEDIUM names a demo medium to use
// (else one is made); PRINT_BENCH_KEEP names a folder that keeps the PDFs.
#include "AppInitModule.h"
#include "BenchMap.h"
#include "BatchPrint.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "PrintModule.h"
#include "PrintObject.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir* dir = new QTemporaryDir;
    return *dir;
}

QString medium() {
    if (const char* given = std::getenv("PRINT_BENCH_MEDIUM"))
        return QString::fromLocal8Bit(given);
    const QString made = scratch().filePath("medium");
    if (!QFileInfo::exists(made + "/KARTEN/CD.TXT")) {
        QProcess tool;
        tool.start(QStringLiteral(VISTREL_TOOL), {QStringLiteral("make-medium"), made});
        tool.waitForFinished(600000);
    }
    return made;
}

Coord gk(double easting, double northing) {
    Coord c{};
    c.type = 1;
    c.zone = static_cast<uint32_t>(easting / 1000000);
    c.x = northing;
    c.y = easting;
    return c;
}

// A polyline with a length label at each corner, as the measurement paints.
class LineLayer : public MapEventListener {
public:
    std::vector<Coord> corners;
    void Paint(MapEventInfo& info) override {
        QPainter& canvas = *info.canvas;
        canvas.setPen(QPen(Qt::red, 4 * info.PixelScale()));
        QPolygonF line;
        for (const Coord& corner : corners) {
            Coord w{};
            w.type = 0xC001;
            if (info.Transform(corner, w))
                line << QPointF(w.x, w.y);
        }
        canvas.drawPolyline(line);
        for (int i = 0; i < line.size(); ++i)
            canvas.drawText(line[i] + QPointF(10, -10), QStringLiteral("%1 m").arg(i * 1250));
    }
};

// Dashed lines across the map, as the boundaries paint.
class BoundaryLayer : public MapEventListener {
public:
    std::vector<std::vector<Coord>> lines;
    void Paint(MapEventInfo& info) override {
        QPainter& canvas = *info.canvas;
        canvas.setPen(QPen(QColor(160, 0, 160), 3 * info.PixelScale(), Qt::DashDotLine));
        for (const auto& points : lines) {
            QPolygonF line;
            for (const Coord& point : points) {
                Coord w{};
                w.type = 0xC001;
                if (info.Transform(point, w))
                    line << QPointF(w.x, w.y);
            }
            canvas.drawPolyline(line);
        }
    }
};

// The program, started once for all benchmarks.
struct Program {
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    LineLayer line;
    BoundaryLayer boundaries;
    double easting = 0;
    double northing = 0;
    bool ok = false;

    Program() {
        BenchMap::application("bench_print");
        const QString root = medium();
        QFile cd(root + "/KARTEN/CD.TXT");
        if (!cd.open(QIODevice::ReadOnly))
            return;
        const QStringList values =
            QString::fromLatin1(cd.readAll()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (values.size() < 3)
            return;
        easting = values[1].toDouble();
        northing = values[2].toDouble();
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("print-bench-") + QByteArray::number(getpid()));
        qputenv("VISTREL_SYSCONFDIR", scratch().path().toUtf8());
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = root;
        init = std::make_unique<TAppInitModule>(options);
        if (!init->initApp())
            return;
        init->basis()->mainWindow()->showMaximized();
        BatchPrint::WaitForLayout();
        MainMapModule* maps = MainMapModule::instance();
        maps->Sequence().SelectMap(3);
        maps->SetCentre(gk(easting, northing), true);
        QCoreApplication::processEvents();

        line.corners = {gk(easting - 2000, northing - 1500), gk(easting - 500, northing + 500),
                        gk(easting + 700, northing - 300), gk(easting + 2500, northing + 2000)};
        boundaries.lines = {
            {gk(easting - 4000, northing + 3000), gk(easting - 1000, northing + 2500),
             gk(easting + 1500, northing + 4000), gk(easting + 4000, northing + 3500)},
            {gk(easting + 1000, northing - 6000), gk(easting + 1200, northing), gk(easting + 900, northing + 6000)}};
        boundaries.Attach();
        line.Attach();
        ok = true;
    }
};

Program& program() {
    static Program* p = new Program;
    return *p;
}

long peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // kilobytes on Linux
}

void printPage(benchmark::State& state, std::int32_t scale, int dpi, bool landscape, const char* name) {
    Program& p = program();
    if (!p.ok) {
        state.SkipWithError("the program did not start on the demo medium");
        return;
    }
    PrintModule* module = PrintModule::instance();
    QString output = scratch().filePath(QString::fromLatin1(name) + ".pdf");
    if (const char* keep = std::getenv("PRINT_BENCH_KEEP"))
        output = QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name) + ".pdf");
    state.counters["rss_before_MiB"] = double(peakMiB());
    for (auto _ : state) {
        PrintObject print(*module, scale, true);
        print.MarginText = module->MarginText(QStringLiteral("Rundweg um Hetzerstadt"));
        QPrinter& printer = print.Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        printer.setResolution(dpi);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!print.Print()) {
            state.SkipWithError("the page was not printed");
            return;
        }
    }
    state.counters["peak_rss_MiB"] = double(peakMiB());
    state.counters["pdf_MiB"] = QFileInfo(output).size() / 1048576.0;
}

void BM_PrintA4Scale25000At600Dpi(benchmark::State& state) {
    printPage(state, 25000, 600, false, "a4-25000-600dpi");
}
void BM_PrintA4Scale25000At300Dpi(benchmark::State& state) {
    printPage(state, 25000, 300, false, "a4-25000-300dpi");
}
void BM_PrintA4LyingContentAt600Dpi(benchmark::State& state) {
    printPage(state, 0, 600, true, "a4-lying-content-600dpi");
}

} // namespace

// The 600 dpi page runs first, so that its peak memory is its own.
BENCHMARK(BM_PrintA4Scale25000At600Dpi)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrintA4Scale25000At300Dpi)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrintA4LyingContentAt600Dpi)->Unit(benchmark::kMillisecond)->Iterations(3);
