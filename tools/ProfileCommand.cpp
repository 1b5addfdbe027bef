// vistrel-tool profile DATADIR E1,N1 E2,N2 [...] [--points N] [--csv]
//
// The elevation profile along a line of Gauss-Krüger points (easting with
// its strip number in front, northing), from the elevation models
// "dgm2.tlm"/"dgm3.tlm" of DATADIR (or of its folder DATEN), with the lookup
// and sampling of the viewer's profile window: without --points only the
// marked points are sampled, with --points N the samples lie every 2 pixels
// of a graph N pixels wide. Prints distance and height (m) per sample, then
// the length (height differences included), ascent and descent.
#include "ToolCommand.h"

#include "DhmModel.h"
#include "DhmPath.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool parseNumber(const std::string& text, double& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

// "E,N" -> library Gauss-Krüger (northing first).
bool parsePoint(const std::string& text, Coord& point) {
    const size_t comma = text.find(',');
    double e = 0, n = 0;
    if (comma == std::string::npos || !parseNumber(text.substr(0, comma), e) || !parseNumber(text.substr(comma + 1), n))
        return false;
    const int zone = Modul::DHM::zoneOfEasting(e);
    if (zone < 1 || zone > 9 || n < 0 || n > 10000000)
        return false;
    point = Coord{};
    point.type = 1;
    point.zone = uint32_t(zone);
    point.x = n;
    point.y = e;
    return true;
}

int run(const std::vector<std::string>& args) {
    std::string dataDir;
    std::vector<std::string> pointTexts;
    int width = 0;
    bool csv = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--csv") {
            csv = true;
        } else if (a == "--points") {
            double n = 0;
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], n) || n < 2 || n > 100000 || n != std::floor(n)) {
                std::fprintf(stderr, "profile: --points needs a graph width of 2 to 100000 pixels\n");
                return 2;
            }
            width = int(n);
            ++i;
        } else if (dataDir.empty()) {
            dataDir = a;
        } else {
            pointTexts.push_back(a);
        }
    }
    if (dataDir.empty() || pointTexts.size() < 2)
        return ToolCommand::usage("profile");

    Modul::DHM dhm;
    const QString dir = QString::fromLocal8Bit(dataDir.c_str());
    if (dhm.open(dir) == 0 && dhm.open(QDir(dir).filePath(QStringLiteral("DATEN"))) == 0) {
        std::fprintf(stderr, "profile: no elevation model (dgm2.tlm, dgm3.tlm) in %s\n", dataDir.c_str());
        return 1;
    }
    DHM_Path path(&dhm);
    path.flags = width > 0 ? DHM_Path::SupportPoints : 0;
    for (const std::string& text : pointTexts) {
        Coord point;
        if (!parsePoint(text, point)) {
            std::fprintf(stderr, "profile: %s is no Gauss-Krüger point EASTING,NORTHING\n", text.c_str());
            return 2;
        }
        if (dhm.height(point, false) == 0) {
            std::fprintf(stderr, "profile: point %s lies outside every elevation model\n", text.c_str());
            return 1;
        }
        if (!path.addPoint(point)) {
            std::fprintf(stderr, "profile: point %s cannot be converted\n", text.c_str());
            return 1;
        }
    }
    const std::vector<DHM_Sample> samples = path.samples(width);
    if (csv)
        std::printf("distance_m;height_m\n");
    for (const DHM_Sample& s : samples) {
        const std::string height =
            s.height == 0 ? std::string("-") : QString::asprintf("%.1f", s.height / 10.0).toStdString();
        std::printf(csv ? "%.1f;%s\n" : "%10.1f %8s\n", s.distance, height.c_str());
    }
    const DHM_Path::Totals t = DHM_Path::totals(samples);
    const DHM_DistanceUnit unit = DHM_DistanceUnit::forTotal(t.length);
    if (csv) {
        std::printf("length_m;%.1f\nascent_m;%ld;%.1f\ndescent_m;%ld;%.1f\n", t.length, long(t.rise / 10.0),
                    t.riseLength, long(t.fall / 10.0), t.fallLength);
    } else {
        std::printf("length: %.1f m\n", t.length);
        std::printf("%s\n", (QString::asprintf("Anstieg: %ld m auf ", long(t.rise / 10.0)) + unit.number(t.riseLength) +
                             unit.text)
                                .toUtf8()
                                .constData());
        std::printf("%s\n", (QString::asprintf("Abstieg: %ld m auf ", long(t.fall / 10.0)) + unit.number(t.fallLength) +
                             unit.text)
                                .toUtf8()
                                .constData());
    }
    return 0;
}

const ToolCommand::Registration reg{"profile", "DATADIR E1,N1 E2,N2 [...] [--points N] [--csv]",
                                    "elevation profile along Gauss-Krüger points", &run};

} // namespace
