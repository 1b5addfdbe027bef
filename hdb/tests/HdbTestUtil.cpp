#include "HdbTestUtil.h"

#include <atomic>
#include <unistd.h>

namespace HdbTestUtil {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("hdbtest-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes header(std::uint32_t root, std::uint32_t fieldCount, std::uint32_t blockLength) {
    Bytes b(16);
    put32(b, 0, HDBFormat::Magic);
    put32(b, 4, root);
    put32(b, 8, fieldCount);
    put32(b, 12, blockLength);
    return b;
}

Bytes fieldBlock(const std::vector<HDBFieldDef>& fields) {
    Bytes b;
    for (const HDBFieldDef& f : fields) {
        b.insert(b.end(), f.name.begin(), f.name.end());
        const std::uint8_t entry[6] = {0, 0, 0, f.type, f.length, f.decimals};
        b.insert(b.end(), entry, entry + 6);
    }
    return b;
}

Bytes pageBytes(const RawPage& page, std::size_t recordSize, bool fullSize) {
    Bytes b(fullSize ? HDBFormat::pageReadSize(recordSize) : HDBFormat::PageRecordsOffset + page.records.size(), 0);
    put32(b, 4, page.n);
    for (std::size_t i = 0; i < page.children.size(); ++i)
        put32(b, 8 + 4 * i, page.children[i]);
    for (std::size_t i = 0; i < page.counts.size(); ++i)
        put32(b, 1028 + 4 * i, page.counts[i]);
    std::copy(page.records.begin(), page.records.end(), b.begin() + 2048);
    return b;
}

} // namespace HdbTestUtil
