#pragma once

#include <cstdint>
#include <string>

// A read-only map file opened with the operating system. Readers parse their
// headers through the cursor (`read`, `skip`, `tell`) and later fetch tiles
// with `readAt`, which never moves the cursor.
class MapFile {
public:
    MapFile() = default;
    ~MapFile();
    MapFile(const MapFile&) = delete;
    MapFile& operator=(const MapFile&) = delete;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; } // -1 when not open
    uint64_t size() const { return m_size; }

    // Reads exactly `len` bytes at the cursor; false (cursor unchanged) when
    // the file ends before.
    bool read(void* buf, std::size_t len);
    // Like read, but reports how many bytes were there (0 at the end).
    std::size_t readSome(void* buf, std::size_t len);
    bool readU16(uint16_t& v);
    bool readU32(uint32_t& v);
    void skip(uint64_t len) { m_pos += len; }
    uint64_t tell() const { return m_pos; }
    void seek(uint64_t pos) { m_pos = pos; }

    // Reads up to `len` bytes at `offset`; returns the count read.
    std::size_t readAt(uint64_t offset, void* buf, std::size_t len) const;

    // Maps the file (its size when opened) into memory for reading; false
    // when it cannot be mapped. Bytes of the mapping that the file no longer
    // has cannot be read: read them only under MappedCopy's guard.
    bool map();
    // The mapping, or null.
    const uint8_t* mapped() const { return m_map; }
    // The size of the file now, which may have changed since it was opened
    // (0 when that cannot be told).
    uint64_t currentSize() const;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
    const uint8_t* m_map = nullptr;
};
