// Our GPX files in two other GPX readers, and GPX files written by another
// program in ours. The other programs are test-only dependencies: a test is
// skipped with a message when its program is missing.

#include "OverlayTestSupport.h"

#include "OverlayFileTypes.h"
#include "UserDrawFileTypes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace OverlayTest;

namespace {

struct ProcessRun {
    bool started = false;
    int exitCode = -1;
    QByteArray out, err;
};

ProcessRun run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ProcessRun r;
    r.started = process.waitForStarted(10000);
    if (r.started && process.waitForFinished(60000))
        r.exitCode = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

// The Python that has gpxpy: the system's (where the Debian package puts it)
// before any other on the path; empty when none has it.
QString gpxpyPython() {
    static const QString found = [] {
        for (const QString& candidate :
             {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            if (!candidate.isEmpty() &&
                run(candidate, {QStringLiteral("-c"), QStringLiteral("import gpxpy")}).exitCode == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}

bool hasGpxpy() {
    return !gpxpyPython().isEmpty();
}

bool hasGpsbabel() {
    return !QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty();
}

// What a GPX file holds, as any reader should find it.
struct Content {
    struct Waypoint {
        QString name;
        double lat, lon;
    };
    struct Track {
        QString name;
        QList<QList<QPair<double, double>>> segments;
    };
    QList<Waypoint> waypoints;
    QList<Track> tracks;
};

// The content as gpxpy reads it.
Content readWithGpxpy(const QString& file) {
    const QString script =
        QStringLiteral("import gpxpy, json, sys\n"
                       "g = gpxpy.parse(open(sys.argv[1], 'rb'))\n"
                       "print(json.dumps({'w': [[p.name or '', p.latitude, p.longitude] for p in g.waypoints],\n"
                       "  't': [[t.name or '', [[[p.latitude, p.longitude] for p in s.points] for s in t.segments]]\n"
                       "        for t in g.tracks]}))\n");
    const ProcessRun r = run(gpxpyPython(), {QStringLiteral("-c"), script, file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    Content c;
    for (const QJsonValue w : o[QStringLiteral("w")].toArray()) {
        const QJsonArray a = w.toArray();
        c.waypoints.append({a[0].toString(), a[1].toDouble(), a[2].toDouble()});
    }
    for (const QJsonValue t : o[QStringLiteral("t")].toArray()) {
        Content::Track track;
        track.name = t.toArray()[0].toString();
        for (const QJsonValue s : t.toArray()[1].toArray()) {
            QList<QPair<double, double>> segment;
            for (const QJsonValue p : s.toArray())
                segment.append({p.toArray()[0].toDouble(), p.toArray()[1].toDouble()});
            track.segments.append(segment);
        }
        c.tracks.append(track);
    }
    return c;
}

// The content as our import reads it (a folder of lines is a track of several segments).
Content readWithImport(const QString& file) {
    Modul::UserDraw::FileTypes::LoadGPX loader;
    QTreeWidgetItem root;
    UserDraw::UD1_XML_TreeStreamTarget target(&root, nullptr);
    EXPECT_TRUE(loader.load(file, target));
    Content c;
    const auto segment = [](const QTreeWidgetItem* node) {
        QList<QPair<double, double>> points;
        for (const Coord& p : objectOf(node)->geometry().points)
            points.append({p.y, p.x});
        return points;
    };
    for (int i = 0; i < root.childCount(); ++i) {
        const QTreeWidgetItem* node = root.child(i);
        if (isFolder(node)) {
            Content::Track t{node->text(0), {}};
            for (int j = 0; j < node->childCount(); ++j)
                t.segments.append(segment(node->child(j)));
            c.tracks.append(t);
        } else if (objectOf(node)->appearance().strategy == &StdDrawLineAreaStrategy::instance()) {
            c.tracks.append({node->text(0), {segment(node)}});
        } else {
            const Coord& p = objectOf(node)->geometry().points.front();
            c.waypoints.append({node->text(0), p.y, p.x});
        }
    }
    return c;
}

void expectSame(const Content& a, const Content& b, const char* who) {
    ASSERT_EQ(a.waypoints.size(), b.waypoints.size()) << who;
    for (qsizetype i = 0; i < a.waypoints.size(); ++i) {
        EXPECT_EQ(a.waypoints[i].name, b.waypoints[i].name) << who;
        EXPECT_NEAR(a.waypoints[i].lat, b.waypoints[i].lat, 1e-6) << who;
        EXPECT_NEAR(a.waypoints[i].lon, b.waypoints[i].lon, 1e-6) << who;
    }
    ASSERT_EQ(a.tracks.size(), b.tracks.size()) << who;
    for (qsizetype i = 0; i < a.tracks.size(); ++i) {
        EXPECT_EQ(a.tracks[i].name, b.tracks[i].name) << who;
        ASSERT_EQ(a.tracks[i].segments.size(), b.tracks[i].segments.size()) << who;
        for (qsizetype s = 0; s < a.tracks[i].segments.size(); ++s) {
            const auto& pa = a.tracks[i].segments[s];
            const auto& pb = b.tracks[i].segments[s];
            ASSERT_EQ(pa.size(), pb.size()) << who;
            for (qsizetype k = 0; k < pa.size(); ++k) {
                EXPECT_NEAR(pa[k].first, pb[k].first, 1e-6) << who;
                EXPECT_NEAR(pa[k].second, pb[k].second, 1e-6) << who;
            }
        }
    }
}

// A GPX file written by our export: waypoints with umlauts and markup
// characters in their names, a closed area, a line in Gauss-Krüger, a folder.
QString writeOurGpx(const QString& dir) {
    QTreeWidgetItem root;
    addElement(&root, appearanceOf(StdDrawSymbolStrategy::instance()), {point(3, 7.849411, 47.995876)},
               QStringLiteral("Münster <Süd> & \"Tor\""));
    QTreeWidgetItem* folder = addFolder(&root, QStringLiteral("Ordner"));
    addElement(folder, appearanceOf(StdDrawTextStrategy::instance()), {point(3, -3.703790, 40.416775)},
               QStringLiteral("Madrid"));
    addElement(folder, appearanceOf(StdDrawLineAreaStrategy::instance()),
               {point(3, 7.1, 48.1), point(3, 7.2, 48.15), point(3, 7.3, 48.1)}, QStringLiteral("Fläche"), true);
    addElement(&root, appearanceOf(StdDrawLineAreaStrategy::instance()),
               {point(1, 5400000.0, 3500000.0, 3), point(1, 5401000.0, 3501000.0, 3)}, QStringLiteral("GK"));
    Modul::UserDraw::FileTypes::SaveGPX saver;
    const QString file = dir + QStringLiteral("/ours.gpx");
    std::unique_ptr<XML_StreamTarget> target = saver.open(file);
    target->startDocument();
    UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, &root, *target);
    const bool ok = target->close(true);
    EXPECT_TRUE(saver.finish(file, ok, std::move(target)));
    return file;
}

} // namespace

// Our file read by gpxpy, and passed through gpsbabel's reader and writer,
// holds what our import finds in it.
TEST(GpxInterop, OtherReadersReadOurFilesAsWeDo) {
    if (!hasGpxpy() && !hasGpsbabel())
        GTEST_SKIP() << "neither python3 with gpxpy (Debian package python3-gpxpy) nor gpsbabel is installed";
    QTemporaryDir dir;
    const QString file = writeOurGpx(dir.path());
    const Content ours = readWithImport(file);
    ASSERT_EQ(ours.waypoints.size(), 2);
    EXPECT_EQ(ours.waypoints[0].name, QStringLiteral("Münster <Süd> & \"Tor\""));
    ASSERT_EQ(ours.tracks.size(), 2);
    if (hasGpxpy())
        expectSame(readWithGpxpy(file), ours, "gpxpy");
    if (hasGpsbabel()) {
        const QString copy = dir.path() + QStringLiteral("/babel.gpx");
        const ProcessRun r = run(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", file, "-o", "gpx", "-F", copy});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        expectSame(readWithImport(copy), ours, "gpsbabel");
    }
}

TEST(GpxInterop, GpsbabelFilesImportWithRoutesSegmentsElevationAndTime) {
    if (!hasGpsbabel())
        GTEST_SKIP() << "gpsbabel is not installed";
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/quelle.gpx");
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                "<wpt lat=\"48.5\" lon=\"7.5\"><ele>312.5</ele><time>2024-05-01T08:00:00Z</time>"
                "<name>Hütte</name></wpt>\n"
                "<wpt lat=\"48.6\" lon=\"7.6\"><name>ohne Höhe</name></wpt>\n"
                "<rte><name>Weg</name><rtept lat=\"48.1\" lon=\"7.1\"><name>R1</name></rtept>"
                "<rtept lat=\"48.2\" lon=\"7.2\"><ele>100</ele><name>R2</name></rtept></rte>\n"
                "<trk><name>Zwei</name><trkseg><trkpt lat=\"48.01\" lon=\"7.01\"><ele>200</ele>"
                "<time>2024-05-01T08:00:00Z</time></trkpt><trkpt lat=\"48.02\" lon=\"7.02\"><ele>201</ele>"
                "<time>2024-05-01T08:00:10Z</time></trkpt></trkseg>"
                "<trkseg><trkpt lat=\"48.03\" lon=\"7.03\"/><trkpt lat=\"48.04\" lon=\"7.04\"/></trkseg></trk>\n"
                "<trk><name>Eins</name><trkseg><trkpt lat=\"49.01\" lon=\"8.01\"/></trkseg></trk>\n"
                "</gpx>\n");
    }
    for (const QString& version : {QStringLiteral("1.0"), QStringLiteral("1.1")}) {
        const QString written = dir.path() + QStringLiteral("/babel-%1.gpx").arg(version);
        const ProcessRun r =
            run(QStringLiteral("gpsbabel"), {"-i", "gpx", "-f", source, "-o", "gpx,gpxver=" + version, "-F", written});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        // gpsbabel writes waypoints, then routes, then tracks; a route is a line.
        const Content c = readWithImport(written);
        ASSERT_EQ(c.waypoints.size(), 2) << version.toStdString();
        EXPECT_EQ(c.waypoints[0].name, QStringLiteral("Hütte"));
        EXPECT_EQ(c.waypoints[1].name, QStringLiteral("ohne Höhe"));
        ASSERT_EQ(c.tracks.size(), 3) << version.toStdString();
        EXPECT_EQ(c.tracks[0].name, QStringLiteral("Weg"));
        EXPECT_EQ(c.tracks[0].segments.value(0).size(), 2);
        EXPECT_EQ(c.tracks[1].name, QStringLiteral("Zwei"));
        ASSERT_EQ(c.tracks[1].segments.size(), 2) << "a track of two segments is a folder";
        EXPECT_EQ(c.tracks[1].segments[1].back().first, 48.04);
        EXPECT_EQ(c.tracks[2].segments.size(), 1);
    }
}
