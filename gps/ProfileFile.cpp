#include "ProfileFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[name]" line, or false.
bool sectionOf(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    name = trim(t.substr(1, t.size() - 2));
    return true;
}

bool keyOf(const std::string& line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

} // namespace

namespace ProfileFile {

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& fallback) {
    bool inSection = false;
    for (const std::string& line : readLines(path)) {
        std::string name, value;
        if (sectionOf(line, name)) {
            inSection = sameName(name, section);
        } else if (inSection && keyOf(line, name, value) && sameName(name, key)) {
            return value;
        }
    }
    return fallback;
}

bool write(const std::string& path, const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = readLines(path);
    bool inSection = false;
    bool done = false;
    std::size_t sectionEnd = std::string::npos; // where to insert into an existing section
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name, old;
        if (sectionOf(lines[i], name)) {
            if (inSection)
                break;
            inSection = sameName(name, section);
            if (inSection)
                sectionEnd = i + 1;
        } else if (inSection) {
            if (keyOf(lines[i], name, old) && sameName(name, key)) {
                lines[i] = key + "=" + value;
                done = true;
            } else if (!trim(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + value);
        } else {
            lines.insert(lines.begin() + std::ptrdiff_t(sectionEnd), key + "=" + value);
        }
    }
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& line : lines)
            out << line << "\r\n";
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace ProfileFile
