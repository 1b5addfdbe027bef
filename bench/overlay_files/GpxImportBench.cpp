// Import of a 100 000-point GPX track (about 10 MB: every point with
// elevation and time, every tenth with a heart-rate extension, as devices
// write them) into an element tree through the viewer's GPX loader, beside
//   gpsbabel -i gpx -f FILE -o gpx -F /dev/null   (whole process)
//   gpxpy.parse(FILE)                             (parse only, timed in Python)
// Each is run REPS times (default 7); the medians, their ratios and the load
// average are printed.
//   bench_overlay_gpx_import [REPS] [POINTS]
#include "DrawTreeItem.h"
#include "OverlayFileTypes.h"
#include "QvoFormat.h"
#include "StdDrawStrategies.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray makeTrack(int points) {
    QByteArray gpx;
    gpx.reserve(points * 110 + 1000);
    gpx += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
           "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\">\n"
           "<trk><name>Lange Spur</name><trkseg>\n";
    char line[256];
    for (int i = 0; i < points; ++i) {
        const double lat = 47.5 + i * 0.00001;
        const double lon = 7.5 + (i % 1000) * 0.00002;
        const int seconds = i;
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2024-05-01T%02d:%02d:%02dZ</time>%s"
                      "</trkpt>\n",
                      lat, lon, 250.0 + (i % 300) * 0.5, (seconds / 3600) % 24, (seconds / 60) % 60, seconds % 60,
                      i % 10 == 0 ? "<extensions><gpxtpx:hr>121</gpxtpx:hr></extensions>" : "");
        gpx += line;
    }
    gpx += "</trkseg></trk>\n</gpx>\n";
    return gpx;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

QString loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("?");
}

// Seconds of one run of a program, or a negative value when it failed.
double runProgram(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    const double seconds = t.nsecsElapsed() / 1e9;
    if (out)
        *out = p.readAllStandardOutput();
    return seconds;
}

QString gpxpyPython() {
    for (const QString& candidate :
         {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3"))})
        if (!candidate.isEmpty() && runProgram(candidate, {QStringLiteral("-c"), QStringLiteral("import gpxpy")}) >= 0)
            return candidate;
    return QString();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const int points = argc > 2 ? std::max(1, atoi(argv[2])) : 100000;
    StdDrawStrategies::bindDefaultAppearances();

    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/track.gpx");
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(makeTrack(points)) < 0)
            return 1;
    }
    std::printf("file: %d points, %.1f MB; load average before: %s\n", points, QFile(file).size() / 1e6,
                qPrintable(loadAverage()));

    std::vector<double> ours;
    Modul::UserDraw::FileTypes::LoadGPX loader;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        auto root = std::make_unique<QTreeWidgetItem>();
        {
            UserDraw::UD1_XML_TreeStreamTarget target(root.get(), nullptr);
            if (!loader.load(file, target))
                return 1;
        }
        ours.push_back(t.nsecsElapsed() / 1e9);
        const auto* line = dynamic_cast<DrawTreeObject*>(itemOf(root->child(0)));
        if (!line || line->geometry().points.size() != size_t(points))
            return 1;
    }
    const double oursMedian = median(ours);
    std::printf("ours (load into the tree): median %.3f s of %d\n", oursMedian, reps);

    if (!QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) {
        std::vector<double> babel;
        for (int i = 0; i < reps; ++i)
            babel.push_back(
                runProgram(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", file, "-o", "gpx", "-F", "/dev/null"}));
        std::printf("gpsbabel -i gpx -f FILE -o gpx -F /dev/null: median %.3f s; ratio gpsbabel/ours %.1f\n",
                    median(babel), median(babel) / oursMedian);
    } else {
        std::printf("gpsbabel: not installed\n");
    }

    const QString python = gpxpyPython();
    if (!python.isEmpty()) {
        std::vector<double> parse;
        const QString script = QStringLiteral("import gpxpy, sys, time\n"
                                              "t = time.perf_counter()\n"
                                              "g = gpxpy.parse(open(sys.argv[1], 'rb'))\n"
                                              "print(time.perf_counter() - t, sum(len(s.points) for t in g.tracks "
                                              "for s in t.segments))\n");
        for (int i = 0; i < reps; ++i) {
            QByteArray out;
            if (runProgram(python, {QStringLiteral("-c"), script, file}, &out) < 0)
                break;
            parse.push_back(out.split(' ').value(0).toDouble());
        }
        std::printf("gpxpy.parse (parse only): median %.3f s; ratio gpxpy/ours %.1f\n", median(parse),
                    median(parse) / oursMedian);
    } else {
        std::printf("gpxpy: not installed\n");
    }
    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    return 0;
}
