// vistrel-tool tlm-coord FILE FROM TO [VALUES...]
//
// Converts positions with the map library's own coordinate conversion, as a
// host would through the library: FROM and TO are TYPE[:ZONE] with the
// library's type codes (decimal or 0x hex), 0x8000 (with option bits) being
// a display pixel of FILE at zoom 1. Values come in pairs from the arguments
// or, one pair per line, from standard input; each pair is printed converted,
// followed by the status in hexadecimal, the zone of a Gauss-Krüger or UTM
// result, and "outside the map" for a point that lies beyond the map.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "ImageSource.h"
#include "MosaicGeoreference.h"
#include "SheetMosaic.h"
#include "TlmGeoreference.h"
#include "TlmImage.h"
#include "TransformCoords.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace MapCoords;

// The georeference of an opened file at zoom 1, as the map handle sees it.
class FileMap final : public CoordMap {
public:
    explicit FileMap(const ImageSource& source) {
        if (const auto* tlm = dynamic_cast<const TlmImage*>(&source)) {
            const Georeference& g = tlm->georeference();
            m_georef = std::make_unique<TlmGeoreference>(g.kind, g.zone, g.r[0], g.r[1], g.r[2], g.r[3],
                                                         source.imageWidth(), source.imageHeight(), 1.0);
        } else if (const auto* mosaic = dynamic_cast<const SheetMosaic*>(&source)) {
            m_georef = std::make_unique<MosaicGeoreference>(
                mosaic->eastingMin(), mosaic->northingMin(), mosaic->sheetWidth(), mosaic->sheetHeight(),
                mosaic->rows(), mosaic->columns(), mosaic->sheetPixelWidth(), mosaic->sheetPixelHeight());
        } else {
            m_georef = std::make_unique<NoGeoreference>();
        }
    }
    const MapGeoreference& georeference() const override { return *m_georef; }
    ExternalCoordHook externalCoordHook() const override { return nullptr; }

private:
    std::unique_ptr<MapGeoreference> m_georef;
};

struct SourceCloser {
    void operator()(ImageSource* s) const { s->release(); }
};

// TYPE[:ZONE], TYPE in decimal or 0x hex, ZONE a signed decimal.
bool parseSystem(const std::string& text, uint32_t& type, uint32_t& zone) {
    const size_t colon = text.find(':');
    std::string typeText = text.substr(0, colon);
    int base = 10;
    if (typeText.size() > 2 && typeText[0] == '0' && (typeText[1] == 'x' || typeText[1] == 'X')) {
        typeText = typeText.substr(2);
        base = 16;
    }
    if (!ToolArgs::parseUnsigned(typeText, base, type))
        return false;
    zone = 0;
    if (colon == std::string::npos)
        return true;
    const std::string zoneText = text.substr(colon + 1);
    errno = 0;
    char* end = nullptr;
    const long long z = std::strtoll(zoneText.c_str(), &end, 10);
    if (zoneText.empty() || errno != 0 || *end != '\0' || z < INT32_MIN || z > INT32_MAX)
        return false;
    zone = static_cast<uint32_t>(static_cast<int32_t>(z));
    return true;
}

// The types a file can be converted with: no windows or device contexts
// exist here.
bool knownType(uint32_t type) {
    switch (baseType(type)) {
    case TypeGaussKrueger:
    case TypeGeoDhdn:
    case TypeGeoWgs84:
    case TypeUtm:
    case TypeMapPixel:
        return true;
    default:
        return false;
    }
}

void printResult(const Coord& t, Status status, bool sourceOutside) {
    // Degrees need nine decimals for millimetres, metres and pixels four.
    const uint32_t base = baseType(t.type);
    const int decimals = (base == TypeGeoDhdn || base == TypeGeoWgs84) ? 9 : 4;
    std::printf("%.*f %.*f 0x%08X", decimals, t.x, decimals, t.y, static_cast<uint32_t>(status));
    // The zone of a projected result: an UTM easting does not carry it.
    if (!failed(status) && (base == TypeGaussKrueger || base == TypeUtm))
        std::printf(" zone %d", static_cast<int32_t>(t.zone));
    if (!failed(status) && (status & StatusOutsideMap) == StatusOutsideMap)
        std::printf(" outside the map");
    else if (!failed(status) && sourceOutside)
        std::printf(" outside the map (taken at its edge)");
    std::printf("\n");
}

int run(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return ToolCommand::usage("tlm-coord");
    Coord from, to;
    if (!parseSystem(args[1], from.type, from.zone) || !parseSystem(args[2], to.type, to.zone)) {
        std::cerr << "vistrel-tool tlm-coord: FROM and TO are TYPE[:ZONE], e.g. 0x8000, 1:3, 2\n";
        return 2;
    }
    for (const auto& [text, c] : {std::pair{args[1], from}, std::pair{args[2], to}}) {
        if (!knownType(c.type)) {
            std::cerr << "vistrel-tool tlm-coord: unknown type code " << text
                      << "; known are 1 (Gauss-Krüger), 2 (geographic DHDN), 3 (geographic WGS84), 4 (UTM) and "
                         "0x8000 (map pixel; options 0x10 unrounded, 0x20 unclamped)\n";
            return 2;
        }
    }
    if ((args.size() - 3) % 2 != 0) {
        std::cerr << "vistrel-tool tlm-coord: values come in pairs\n";
        return 2;
    }
    std::unique_ptr<ImageSource, SourceCloser> source(ImageSource::open(args[0]));
    if (!source) {
        const std::string problem = ToolArgs::fileProblem(args[0]);
        std::cerr << "vistrel-tool tlm-coord: " << args[0] << ": "
                  << (problem.empty() ? "does not open as a map file (damaged, or not a map)" : problem) << '\n';
        return 1;
    }

    FileMap map(*source);
    IdRegistry<FileMap> maps;
    IdRegistry<CoordWindow> windows;
    IdRegistry<CoordSurface> surfaces;
    const RegistryResolver<FileMap, CoordWindow, CoordSurface> resolver(maps, windows, surfaces);
    const uint32_t mapId = maps.add(&map);
    if (baseType(from.type) == TypeMapPixel)
        from.zone = mapId;
    if (baseType(to.type) == TypeMapPixel)
        to.zone = mapId;

    bool allConverted = true;
    auto convertPair = [&](double a, double b) {
        Coord s = from;
        s.x = a;
        s.y = b;
        Coord t = to;
        const Status status = transformCoordsEx(resolver, s, t);
        // The conversion clamps a pixel beyond the map to its edge unless
        // told not to; the result then is not the point that was asked for.
        const bool sourceOutside = baseType(from.type) == TypeMapPixel && !(from.type & OptionNoClamping) &&
                                   (a < 0 || b < 0 || a > source->imageWidth() || b > source->imageHeight());
        printResult(t, status, sourceOutside);
        if (failed(status))
            allConverted = false;
    };

    if (args.size() > 3) {
        for (size_t i = 3; i + 1 < args.size(); i += 2) {
            double a, b;
            if (!ToolArgs::parseReal(args[i], a) || !ToolArgs::parseReal(args[i + 1], b)) {
                std::cerr << "vistrel-tool tlm-coord: not a number pair: " << args[i] << ' ' << args[i + 1] << '\n';
                return 2;
            }
            convertPair(a, b);
        }
    } else {
        std::string line;
        int number = 0;
        while (std::getline(std::cin, line)) {
            ++number;
            std::istringstream fields(line);
            std::string aText, bText, extra;
            if (!(fields >> aText))
                continue; // blank line
            double a, b;
            if (!(fields >> bText) || (fields >> extra) || !ToolArgs::parseReal(aText, a) ||
                !ToolArgs::parseReal(bText, b)) {
                std::cerr << "vistrel-tool tlm-coord: line " << number << ": expected two numbers\n";
                allConverted = false;
                continue;
            }
            convertPair(a, b);
        }
    }
    return allConverted ? 0 : 1;
}

ToolCommand::Registration reg{"tlm-coord", "FILE FROM TO [VALUES...]",
                              "converts positions between map pixels (0x8000, options 0x10 unrounded, 0x20 "
                              "unclamped) and the map library's coordinate types 1 (Gauss-Krüger, northing easting), "
                              "2 and 3 (geographic DHDN and WGS84, longitude latitude) and 4 (UTM); FROM and TO are "
                              "TYPE[:ZONE]; each result line is A B STATUS, then the zone of a Gauss-Krüger or UTM "
                              "result and \"outside the map\" for a point beyond the map",
                              &run};

} // namespace
