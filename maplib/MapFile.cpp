#include "MapFile.h"

#include "MapTypes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MapFile::~MapFile() {
    close();
}

bool MapFile::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = uint64_t(st.st_size);
    m_pos = 0;
    return true;
}

void MapFile::close() {
    if (m_map)
        ::munmap(const_cast<uint8_t*>(m_map), std::size_t(m_size));
    m_map = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_pos = 0;
}

std::size_t MapFile::readAt(uint64_t offset, void* buf, std::size_t len) const {
    if (m_fd < 0 || offset >= m_size)
        return 0;
    std::size_t done = 0;
    auto* out = static_cast<char*>(buf);
    while (done < len) {
        const ssize_t n = ::pread(m_fd, out + done, len - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    return done;
}

bool MapFile::map() {
    if (m_map)
        return true;
    if (m_fd < 0 || m_size == 0 || m_size > uint64_t(SIZE_MAX))
        return false;
    void* p = ::mmap(nullptr, std::size_t(m_size), PROT_READ, MAP_SHARED, m_fd, 0);
    if (p == MAP_FAILED)
        return false;
    m_map = static_cast<const uint8_t*>(p);
    return true;
}

uint64_t MapFile::currentSize() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return 0;
    return uint64_t(st.st_size);
}

std::size_t MapFile::readSome(void* buf, std::size_t len) {
    const std::size_t n = readAt(m_pos, buf, len);
    m_pos += n;
    return n;
}

bool MapFile::read(void* buf, std::size_t len) {
    if (m_pos > m_size || len > m_size - m_pos)
        return false;
    if (readAt(m_pos, buf, len) != len)
        return false;
    m_pos += len;
    return true;
}

bool MapFile::readU16(uint16_t& v) {
    uint8_t b[2];
    if (!read(b, 2))
        return false;
    v = getU16(b);
    return true;
}

bool MapFile::readU32(uint32_t& v) {
    uint8_t b[4];
    if (!read(b, 4))
        return false;
    v = getU32(b);
    return true;
}
