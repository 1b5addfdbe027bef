#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

// Sources of input for the XML parser, handing out the bytes chunk by chunk.
namespace CharBufferReader {

class Abstract {
public:
    Abstract() = default;
    Abstract(const Abstract&) = delete;
    Abstract& operator=(const Abstract&) = delete;

    // Hands the next chunk; a null pointer with count 0 means end of input.
    // The chunk stays valid until the next call.
    virtual void fill(const char*& pointer, std::size_t& count) = 0;
    virtual ~Abstract();
};

// A reader with a zero-filled buffer of fixed size that derived readers fill.
class AbstractWithBuffer : public Abstract {
public:
    explicit AbstractWithBuffer(std::size_t size);

    void fill(const char*& pointer, std::size_t& count) override;
    std::size_t bufferSize() const { return m_buffer.size(); }

protected:
    // Reads up to `size` bytes into `buffer`; 0 at end of input.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;

private:
    std::vector<char> m_buffer;
};

// Reads a C stream unconverted. The buffer has `requestedSize` bytes, or the
// file's size when that is known and smaller, so a small file does not cost
// a large buffer. The overlay and GPX loaders ask for 32768 bytes and pass
// ownership.
class FromFILE : public AbstractWithBuffer {
public:
    FromFILE(std::FILE* file, std::size_t requestedSize, bool ownsFile);
    ~FromFILE() override;

protected:
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::FILE* m_file;
    bool m_ownsFile;
};

// Hands out bytes held by the caller in chunks of at most `chunkSize` (at
// least 1) without copying them; the bytes must outlive the reader.
class FromMemory : public Abstract {
public:
    FromMemory(const char* data, std::size_t size, std::size_t chunkSize);

    void fill(const char*& pointer, std::size_t& count) override;

private:
    const char* m_data;
    std::size_t m_left;
    std::size_t m_chunkSize;
};

} // namespace CharBufferReader
