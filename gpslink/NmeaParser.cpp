#include "NmeaParser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

using GpsProtocol::PositionRecord;

namespace NmeaParser {

namespace {

// Fields are the text between the first `Count` commas; the rest of the line
// after the last of them is not looked at.
template <std::size_t Count> bool cutFields(std::string_view line, std::array<std::string_view, Count>& fields) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < Count; ++i) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos)
            return false;
        fields[i] = line.substr(start, comma - start);
        start = comma + 1;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

float toFloat(double value) {
    // A double beyond the float range is not converted but saturated, since
    // the conversion itself would be undefined.
    if (std::isnan(value))
        return std::numeric_limits<float>::quiet_NaN();
    if (value > double(std::numeric_limits<float>::max()))
        return std::numeric_limits<float>::infinity();
    if (value < -double(std::numeric_limits<float>::max()))
        return -std::numeric_limits<float>::infinity();
    return float(value);
}

void position(std::string_view value, std::string_view hemisphere, std::size_t degreeDigits, char negative,
              std::int32_t& degrees, float& minutes) {
    const std::string_view degreeText = value.substr(0, std::min(degreeDigits, value.size()));
    const std::string_view minuteText = value.size() > degreeDigits ? value.substr(degreeDigits) : std::string_view();
    degrees = fieldInt(degreeText);
    minutes = toFloat(fieldDouble(minuteText));
    if (!hemisphere.empty() && hemisphere.front() == negative) {
        // Degrees come from at most three characters, so negation cannot overflow.
        degrees = -degrees;
        minutes = -minutes;
    }
}

// A receiver without a fix may still fill the position fields with
// placeholders; whatever cannot be a place on the earth is not taken.
bool plausible(std::int32_t degrees, float minutes, double limit) {
    const double m = std::fabs(double(minutes));
    if (!(m < 60)) // also NaN
        return false;
    return std::fabs(double(degrees)) + m / 60 <= limit;
}

bool plausiblePosition(const PositionRecord& r) {
    return plausible(r.latDegrees, r.latMinutes, 90) && plausible(r.lonDegrees, r.lonMinutes, 180);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// $GPGGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,q,ss,h.h,a.a,M,g.g,M,dd,rrrr*hh
//  1 time  2-3 latitude  4-5 longitude  6 quality  7 satellites  8 HDOP
//  9 altitude (unit 10 not checked)  11-12 geoid separation  13 differential age
bool parseGga(std::string_view line, PositionRecord& target) {
    std::array<std::string_view, 14> f;
    if (!cutFields(line, f))
        return false;
    PositionRecord r = target;
    r.timeMs = timeOfField(f[1]);
    position(f[2], f[3], 2, 'S', r.latDegrees, r.latMinutes);
    position(f[4], f[5], 3, 'W', r.lonDegrees, r.lonMinutes);
    if (!plausiblePosition(r))
        return false;
    r.quality = fieldInt(f[6]);
    r.satellites = fieldInt(f[7]);
    r.hdop = toFloat(fieldDouble(f[8]));
    r.altitude = toFloat(fieldDouble(f[9]));
    r.diffAge = fieldInt(f[13]);
    target = r;
    return true;
}

// $GPRMC,hhmmss.ss,A,llll.ll,a,yyyyy.yy,a,x.x,x.x,ddmmyy,x.x,a*hh
//  1 time  2 status ("A" valid, "V" no fix yet)  3-4 latitude  5-6 longitude
bool parseRmc(std::string_view line, PositionRecord& target) {
    std::array<std::string_view, 11> f;
    if (!cutFields(line, f))
        return false;
    const std::int32_t time = timeOfField(f[1]);
    // The GGA of the same second carries altitude and satellites; an RMC must
    // not overwrite it with its poorer record.
    if (target.quality != 0 && time == target.timeMs && time != 0)
        return false;
    PositionRecord r = target;
    r.timeMs = time;
    position(f[3], f[4], 2, 'S', r.latDegrees, r.latMinutes);
    position(f[5], f[6], 3, 'W', r.lonDegrees, r.lonMinutes);
    if (!plausiblePosition(r))
        return false;
    // Without a valid fix the position fields are placeholders: the
    // sentence counts as one without a position, so no client is sent there.
    if (f[2] != "A") {
        r.latDegrees = 0;
        r.latMinutes = 0;
        r.lonDegrees = 0;
        r.lonMinutes = 0;
    }
    const bool hasPosition = r.latDegrees != 0 || r.latMinutes != 0 || r.lonDegrees != 0 || r.lonMinutes != 0;
    r.quality = hasPosition ? 2 : 0;
    r.satellites = 4;
    r.hdop = 0;
    r.altitude = 0;
    r.diffAge = 0;
    target = r;
    return true;
}

} // namespace

std::int32_t fieldInt(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && isBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            value = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(value);
}

double fieldDouble(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && isBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // from_chars does not depend on the process locale, unlike atof once the
    // program runs with a German LC_NUMERIC.
    double value = 0;
    const char* begin = field.data() + i;
    const auto result = std::from_chars(begin, field.data() + field.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here; atof gives infinity or 0.
        bool tiny = false;
        for (const char* p = begin; p < result.ptr; ++p) {
            if (*p == 'e' || *p == 'E') {
                tiny = p + 1 < result.ptr && p[1] == '-';
                break;
            }
        }
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

std::int32_t timeOfField(std::string_view field) {
    if (field.size() < 6)
        return 0;
    auto digit = [&](std::size_t i) { return std::int32_t(static_cast<unsigned char>(field[i]) & 15u); };
    const std::int32_t hh = digit(0) * 10 + digit(1);
    const std::int32_t mm = digit(2) * 10 + digit(3);
    const std::int32_t ss = digit(4) * 10 + digit(5);
    std::int32_t ms = ((hh * 60 + mm) * 60 + ss) * 1000;
    if (field.size() >= 7 && field[6] == '.') {
        static constexpr std::int32_t Units[3] = {100, 10, 1};
        for (std::size_t k = 0; k < 3 && 7 + k < field.size(); ++k)
            ms += digit(7 + k) * Units[k];
    }
    return ms;
}

bool checksumOk(std::string_view line) {
    const std::size_t star = line.find('*');
    if (star == std::string_view::npos)
        return true;
    std::string_view tail = line.substr(star + 1);
    while (!tail.empty() && isBlank(tail.back()))
        tail.remove_suffix(1);
    if (tail.size() != 2)
        return false;
    const int high = hexValue(tail[0]);
    const int low = hexValue(tail[1]);
    if (high < 0 || low < 0)
        return false;
    unsigned sum = 0;
    const std::size_t first = !line.empty() && line[0] == '$' ? 1 : 0;
    for (std::size_t i = first; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    return sum == unsigned(high * 16 + low);
}

bool parseSentence(std::string_view line, std::int32_t filterFlags, PositionRecord& target) {
    const bool gga = (filterFlags & GpsProtocol::NMEA_FLAG_GGA) != 0 && line.substr(0, 6) == "$GPGGA";
    const bool rmc = !gga && (filterFlags & GpsProtocol::NMEA_FLAG_RMC) != 0 && line.substr(0, 6) == "$GPRMC";
    if (!gga && !rmc)
        return false;
    // A line damaged on the wire must not move the position.
    if (!checksumOk(line))
        return false;
    return gga ? parseGga(line, target) : parseRmc(line, target);
}

} // namespace NmeaParser
