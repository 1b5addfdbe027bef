// vistrel-tool coord: converts positions between registry coordinate systems.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "CoordCode.h"
#include "Registry.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const char* const Name = "coord";

struct System {
    uint32_t code = 0;
    uint32_t zone = 0;
};

// "0x201010" or "0x201010:3"; a code without 0x is read as a decimal number.
bool parseSystem(const std::string& text, System& s) {
    const size_t colon = text.find(':');
    std::string code = text.substr(0, colon);
    int base = 10;
    if (code.size() > 2 && code[0] == '0' && (code[1] == 'x' || code[1] == 'X')) {
        code = code.substr(2);
        base = 16;
    }
    if (!ToolArgs::parseUnsigned(code, base, s.code))
        return false;
    s.zone = 0;
    return colon == std::string::npos || ToolArgs::parseUnsigned(text.substr(colon + 1), 10, s.zone);
}

bool parseNumber(const std::string& text, double& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && errno == 0 && *end == '\0' && std::isfinite(value);
}

std::string hex(uint32_t code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06x", code);
    return buf;
}

std::string datumLabel(uint32_t datum) {
    const char* name = Transid::Code::datumName(datum);
    return "datum " + std::to_string(datum) + (name ? std::string(" (") + name + ")" : std::string());
}

// Explains why no conversion between the two codes can exist, or returns an
// empty text when one can.
std::string checkSystems(const System& from, const System& to) {
    const Transid::Registry& reg = Transid::registry();
    for (const System* s : {&from, &to}) {
        if (!reg.knows(s->code))
            return "unknown coordinate system " + hex(s->code);
    }
    const uint32_t a = Transid::Code::datum(from.code);
    const uint32_t b = Transid::Code::datum(to.code);
    if (a != b && !reg.transformation(a, b))
        return "no datum transformation from " + datumLabel(a) + " to " + datumLabel(b);
    return {};
}

// Converts one point and prints "x y z zone"; geographic results in degrees
// to nine decimals (0.1 mm), everything else in metres to millimetres.
bool convertAndPrint(const System& from, const System& to, double x, double y, double z) {
    Coord source;
    source.type = from.code;
    source.zone = from.zone;
    source.x = x;
    source.y = y;
    source.z = z;
    Coord target;
    target.type = to.code;
    target.zone = to.zone;
    if (!Transid::Convert(source, target)) {
        char what[160];
        std::snprintf(what, sizeof what, "%.10g %.10g from %s:%u to %s:%u", x, y, hex(from.code).c_str(), from.zone,
                      hex(to.code).c_str(), to.zone);
        std::cerr << "vistrel-tool coord: cannot convert " << what << '\n';
        return false;
    }
    const bool geographic = Transid::Code::ellipsoid(to.code) != 0 && Transid::Code::projection(to.code) == 0;
    char line[160];
    std::snprintf(line, sizeof line, geographic ? "%.9f %.9f %.3f %u\n" : "%.3f %.3f %.3f %u\n", target.x, target.y,
                  target.z, target.zone);
    std::cout << line;
    return true;
}

int run(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 4 && args.size() != 5)
        return ToolCommand::usage(Name);
    System from, to;
    if (!parseSystem(args[0], from) || !parseSystem(args[1], to)) {
        std::cerr << "vistrel-tool coord: a coordinate system is a code like 0x201010, optionally with :ZONE\n";
        return 2;
    }
    Transid::BuildRegistry();
    const std::string problem = checkSystems(from, to);
    if (!problem.empty()) {
        std::cerr << "vistrel-tool coord: " << problem << '\n';
        return 1;
    }

    if (args.size() > 2) {
        double x, y, z = 0.0;
        if (!parseNumber(args[2], x) || !parseNumber(args[3], y) || (args.size() == 5 && !parseNumber(args[4], z))) {
            std::cerr << "vistrel-tool coord: X, Y and Z must be numbers\n";
            return 2;
        }
        return convertAndPrint(from, to, x, y, z) ? 0 : 1;
    }

    // Batch: one point "X Y [Z]" per line of standard input; blank lines are skipped.
    bool allConverted = true;
    std::string text;
    for (unsigned long lineNumber = 1; std::getline(std::cin, text); ++lineNumber) {
        std::istringstream fields(text);
        std::vector<std::string> values;
        for (std::string v; fields >> v;)
            values.push_back(v);
        if (values.empty())
            continue;
        double x, y, z = 0.0;
        if (values.size() > 3 || values.size() < 2 || !parseNumber(values[0], x) || !parseNumber(values[1], y) ||
            (values.size() == 3 && !parseNumber(values[2], z))) {
            std::cerr << "vistrel-tool coord: line " << lineNumber << ": expected X Y [Z]\n";
            allConverted = false;
            continue;
        }
        allConverted = convertAndPrint(from, to, x, y, z) && allConverted;
    }
    return allConverted ? 0 : 1;
}

ToolCommand::Registration reg{Name, "FROM[:ZONE] TO[:ZONE] [X Y [Z]]",
                              "converts positions between coordinate systems (codes like 0x201010, 0x002000); "
                              "without X Y it reads one point per line from standard input",
                              &run};

} // namespace
