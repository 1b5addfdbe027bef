#include "HDBTsv.h"

#include "HDBFormat.h"
#include "HDBRecords.h"

#include <Cp1252.h>

#include <QString>

#include <charconv>

namespace HDBTsv {
namespace {

bool parseNumber(const std::string& s, int& out) {
    if (s.empty())
        return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), out);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

} // namespace

bool parseFieldSpec(const std::string& spec, std::vector<HDBFieldDef>& fields, std::string& error) {
    fields.clear();
    std::size_t start = 0;
    while (start <= spec.size()) {
        std::size_t end = spec.find(',', start);
        if (end == std::string::npos)
            end = spec.size();
        const std::string item = spec.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = item.rfind(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 >= item.size()) {
            error = "field \"" + item + "\": expected NAME:C<len>, NAME:N<len>[.<dec>] or NAME:B";
            return false;
        }
        HDBFieldDef def;
        def.name = Cp1252::encode(QString::fromStdString(item.substr(0, colon)));
        const char kind = char(std::toupper(static_cast<unsigned char>(item[colon + 1])));
        const std::string size = item.substr(colon + 2);
        int length = 0;
        int decimals = 0;
        if (kind == 'B' && size.empty()) {
            def.type = HDBFormat::TypeByte;
            def.length = 3;
        } else if (kind == 'C' && parseNumber(size, length)) {
            def.type = HDBFormat::TypeText;
        } else if (kind == 'N') {
            const std::size_t dot = size.find('.');
            if (!parseNumber(size.substr(0, dot), length) ||
                (dot != std::string::npos && !parseNumber(size.substr(dot + 1), decimals))) {
                error = "field \"" + item + "\": bad number size";
                return false;
            }
            def.type = HDBFormat::TypeNumber;
        } else {
            error = "field \"" + item + "\": expected NAME:C<len>, NAME:N<len>[.<dec>] or NAME:B";
            return false;
        }
        if (def.type != HDBFormat::TypeByte) {
            if (length < 1 || length > 255 || decimals < 0 || decimals > 255) {
                error = "field \"" + item + "\": length must be 1..255";
                return false;
            }
            def.length = std::uint8_t(length);
            def.decimals = std::uint8_t(decimals);
        }
        fields.push_back(def);
        if (end == spec.size())
            break;
    }
    return true;
}

std::string fieldSpec(const HDBFieldDef& def) {
    const std::string name = Cp1252::decode(def.name).toStdString();
    switch (def.type) {
    case HDBFormat::TypeText:
        return name + ":C" + std::to_string(def.length);
    case HDBFormat::TypeNumber:
        return name + ":N" + std::to_string(def.length) +
               (def.decimals ? "." + std::to_string(def.decimals) : std::string());
    case HDBFormat::TypeByte:
        return name + ":B";
    default:
        return name + ":?" + std::to_string(def.type);
    }
}

std::string escape(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> splitLine(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return parts;
        start = tab + 1;
    }
}

std::string headerLine(const HDBRecords& cursor) {
    std::string line;
    for (const auto& f : cursor.file()->fields()) {
        if (!line.empty())
            line += '\t';
        line += escape(Cp1252::decode(f->name()).toStdString());
    }
    return line;
}

std::string recordLine(const HDBRecords& cursor) {
    std::string line;
    bool firstField = true;
    for (const auto& f : cursor.file()->fields()) {
        if (!firstField)
            line += '\t';
        firstField = false;
        std::string value;
        f->getString(cursor, value);
        line += escape(Cp1252::decode(value).toStdString());
    }
    return line;
}

} // namespace HDBTsv
