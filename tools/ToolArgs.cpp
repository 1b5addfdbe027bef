#include "ToolArgs.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

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

} // namespace ToolArgs
