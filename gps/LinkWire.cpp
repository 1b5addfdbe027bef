#include "LinkWire.h"

#include <algorithm>

namespace LinkWire {

std::uint32_t readLe32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void writeLe32(std::uint8_t* p, std::uint32_t value) {
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
    p[2] = std::uint8_t(value >> 16);
    p[3] = std::uint8_t(value >> 24);
}

std::vector<std::uint8_t> encodeRequest(const Request& request) {
    std::vector<std::uint8_t> out(RequestHeaderSize + request.payload.size());
    writeLe32(&out[0], request.kind);
    writeLe32(&out[4], request.code);
    writeLe32(&out[8], request.word);
    writeLe32(&out[12], request.lparam);
    writeLe32(&out[16], std::uint32_t(request.payload.size()));
    std::copy(request.payload.begin(), request.payload.end(), out.begin() + RequestHeaderSize);
    return out;
}

void encodeServerFrame(const ServerFrame& frame, std::uint8_t out[ServerFrameSize]) {
    writeLe32(out, frame.kind);
    writeLe32(out + 4, frame.a);
    writeLe32(out + 8, frame.b);
    writeLe32(out + 12, frame.c);
}

ServerFrame decodeServerFrame(const std::uint8_t in[ServerFrameSize]) {
    return ServerFrame{readLe32(in), readLe32(in + 4), readLe32(in + 8), readLe32(in + 12)};
}

void RequestDecoder::feed(const std::uint8_t* data, std::size_t size) {
    if (m_broken || size == 0)
        return;
    // Drop what has been consumed before growing the buffer, so that a long
    // conversation never accumulates memory.
    if (m_start > 0) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + std::ptrdiff_t(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
}

RequestDecoder::Status RequestDecoder::next(Request& out) {
    if (m_broken)
        return Status::Broken;
    const std::size_t available = m_buffer.size() - m_start;
    if (available < RequestHeaderSize)
        return Status::NeedMore;
    const std::uint8_t* p = m_buffer.data() + m_start;
    const std::uint32_t kind = readLe32(p);
    const std::uint32_t count = readLe32(p + 16);
    if ((kind != KindData && kind != KindPlain) || count > MaxPayload) {
        m_broken = true;
        m_buffer.clear();
        m_start = 0;
        return Status::Broken;
    }
    if (available - RequestHeaderSize < count)
        return Status::NeedMore;
    out.kind = kind;
    out.code = readLe32(p + 4);
    out.word = readLe32(p + 8);
    out.lparam = readLe32(p + 12);
    out.payload.assign(p + RequestHeaderSize, p + RequestHeaderSize + count);
    m_start += RequestHeaderSize + count;
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    }
    return Status::Ready;
}

} // namespace LinkWire
