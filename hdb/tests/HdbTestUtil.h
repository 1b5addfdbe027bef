#pragma once

#include <HDBFieldDef.h>
#include <HDBFormat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Helpers for tests that need files the writer would never produce: raw
// headers, field blocks and pages put together byte by byte.
namespace HdbTestUtil {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own for one test, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void writeFile(const std::string& path, const Bytes& bytes);

Bytes header(std::uint32_t root, std::uint32_t fieldCount, std::uint32_t blockLength);
Bytes fieldBlock(const std::vector<HDBFieldDef>& fields);

// One page: records are laid out after the 2048 header bytes; children and
// subtree counts have n + 1 entries.
struct RawPage {
    std::vector<std::uint32_t> children;
    std::vector<std::uint32_t> counts;
    Bytes records; // n × record size bytes
    std::uint32_t n = 0;
};
Bytes pageBytes(const RawPage& page, std::size_t recordSize, bool fullSize = true);

inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    HDBFormat::writeLE32(b.data() + at, v);
}

} // namespace HdbTestUtil
