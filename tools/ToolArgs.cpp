#include "ToolArgs.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace ToolArgs {

bool parseUnsigned(const std::string& text, int base, uint32_t& value) {
    // strtoull would accept a sign or leading blanks and wrap negative numbers.
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || end == text.c_str() || v > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool parseInteger(const std::string& text, long long& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str())
        return false;
    value = v;
    return true;
}

bool parseReal(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || end == text.c_str() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::string fileProblem(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        return "no such file";
    if (std::filesystem::is_directory(status))
        return "is a directory";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot be read";
    return {};
}

int badValue(const std::string& command, const std::string& option, const std::string& value, const std::string& why) {
    std::cerr << command << ": " << option << " " << (value.empty() ? std::string("''") : value) << ": " << why << '\n';
    return 2;
}

int missingValue(const std::string& command, const std::string& option) {
    std::cerr << command << ": " << option << " needs a value\n";
    return 2;
}

} // namespace ToolArgs
