#include "CharBufferReader.h"

#include <algorithm>
#include <sys/stat.h>

namespace CharBufferReader {

Abstract::~Abstract() = default;

AbstractWithBuffer::AbstractWithBuffer(std::size_t size) : m_buffer(size, '\0') {}

void AbstractWithBuffer::fill(const char*& pointer, std::size_t& count) {
    // A derived reader claiming more than the buffer holds must not make the
    // parser read past it.
    count = m_buffer.empty() ? 0 : std::min(read(m_buffer.data(), m_buffer.size()), m_buffer.size());
    pointer = count ? m_buffer.data() : nullptr;
}

namespace {

std::size_t bufferSizeFor(std::FILE* file, std::size_t requestedSize) {
    struct stat status {};
    if (file && fstat(fileno(file), &status) == 0 && status.st_size >= 1 &&
        static_cast<unsigned long long>(status.st_size) < requestedSize)
        return static_cast<std::size_t>(status.st_size);
    return requestedSize;
}

} // namespace

FromFILE::FromFILE(std::FILE* file, std::size_t requestedSize, bool ownsFile)
    : AbstractWithBuffer(bufferSizeFor(file, requestedSize)), m_file(file), m_ownsFile(ownsFile) {}

FromFILE::~FromFILE() {
    if (m_file && m_ownsFile)
        std::fclose(m_file);
}

std::size_t FromFILE::read(char* buffer, std::size_t size) {
    return m_file ? std::fread(buffer, 1, size, m_file) : 0;
}

FromMemory::FromMemory(const char* data, std::size_t size, std::size_t chunkSize)
    : m_data(data), m_left(data ? size : 0), m_chunkSize(std::max<std::size_t>(chunkSize, 1)) {}

void FromMemory::fill(const char*& pointer, std::size_t& count) {
    count = std::min(m_left, m_chunkSize);
    pointer = count ? m_data : nullptr;
    m_data += count;
    m_left -= count;
}

} // namespace CharBufferReader
