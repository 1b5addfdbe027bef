#include "XML_StreamTarget.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

// The white space that sscanf skips before a number ("C" locale isspace).
bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* skipScanSpace(const char* p, const char* end) {
    while (p != end && isScanSpace(*p))
        ++p;
    return p;
}

// "%d": optional sign, then at least one decimal digit.
bool scanInt(const std::string& s, int& out) {
    const char* p = skipScanSpace(s.data(), s.data() + s.size());
    const char* end = s.data() + s.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p < '0' || *p > '9')
        return false;
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit)
            return false;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min())
        return false;
    out = static_cast<int>(value);
    return true;
}

// "%lf" without the locale: from_chars always reads a decimal point, which
// strtod would not do in a German locale.
bool scanDouble(const std::string& s, double& out) {
    const char* end = s.data() + s.size();
    const char* p = skipScanSpace(s.data(), end);
    if (p != end && *p == '+') {
        ++p;
        if (p != end && *p == '-')
            return false;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(p, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr == p)
        return false;
    out = value;
    return true;
}

} // namespace

XML_StreamTarget::~XML_StreamTarget() = default;

void XML_StreamTarget::attribute(std::string_view) {}
void XML_StreamTarget::startDocument() {}
void XML_StreamTarget::beginElement(std::string_view) {}
void XML_StreamTarget::text(std::string_view) {}
void XML_StreamTarget::endElement() {}
bool XML_StreamTarget::close(bool checkBalanced) {
    return checkBalanced;
}

void XML_StreamTarget::writeAttribute(std::string_view name, std::string_view value) {
    m_string.assign(value.data(), value.size());
    m_valueState = std::uint8_t(KindString) | StringValid;
    attribute(name);
}

void XML_StreamTarget::writeAttribute(std::string_view name, int value) {
    m_integer = value;
    m_valueState = std::uint8_t(KindInteger) | IntegerValid;
    attribute(name);
}

void XML_StreamTarget::writeAttribute(std::string_view name, double value) {
    m_double = value;
    m_valueState = std::uint8_t(KindDouble) | DoubleValid;
    attribute(name);
}

const std::string& XML_StreamTarget::valueAsString() {
    if (m_valueState & StringValid)
        return m_string;
    // Room for "%f" of the largest double: 309 digits, sign, point, six decimals.
    char buffer[330];
    switch (valueKind()) {
    case KindInteger: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, m_integer);
        m_string.assign(buffer, r.ptr);
        break;
    }
    case KindDouble: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, m_double, std::chars_format::fixed, 6);
        m_string.assign(buffer, r.ec == std::errc() ? r.ptr : buffer);
        break;
    }
    default:
        m_string.clear();
        break;
    }
    m_valueState |= StringValid;
    return m_string;
}

int XML_StreamTarget::valueAsInt(int defaultValue) {
    if (m_valueState & IntegerValid)
        return m_integer;
    int value = 0;
    switch (valueKind()) {
    case KindString:
        if (!scanInt(m_string, value))
            return defaultValue;
        break;
    case KindDouble: {
        // Truncation of NaN or of a value beyond 32 bits is undefined; such a
        // value is as unreadable as bad text.
        const double t = std::trunc(m_double);
        if (!(t >= -2147483648.0 && t <= 2147483647.0))
            return defaultValue;
        value = static_cast<int>(t);
        break;
    }
    default:
        return defaultValue;
    }
    m_integer = value;
    m_valueState |= IntegerValid;
    return value;
}

double XML_StreamTarget::valueAsDouble(double defaultValue) {
    if (m_valueState & DoubleValid)
        return m_double;
    double value = 0.0;
    switch (valueKind()) {
    case KindString:
        if (!scanDouble(m_string, value))
            return defaultValue;
        break;
    case KindInteger:
        value = m_integer;
        break;
    default:
        return defaultValue;
    }
    m_double = value;
    m_valueState |= DoubleValid;
    return value;
}
