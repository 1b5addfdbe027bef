#pragma once

// Frames on the GPS link socket. A client sends requests: kind (1 = data
// request with a payload, 2 = plain request), code, word (data word or
// wParam), lparam, count, then count payload bytes. The server answers every
// request with one reply frame, in order, and sends notification frames to the
// connection that registered. All words are little-endian 32-bit.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LinkWire {

constexpr std::uint32_t KindData = 1;
constexpr std::uint32_t KindPlain = 2;
constexpr std::uint32_t KindReply = 1;
constexpr std::uint32_t KindNotification = 2;

constexpr std::size_t RequestHeaderSize = 20;
constexpr std::size_t ServerFrameSize = 16;
// The largest payload a request may carry: a file name with its terminator
// fits many times over; anything larger is a broken or hostile peer.
constexpr std::uint32_t MaxPayload = 64 * 1024;

struct Request {
    std::uint32_t kind = 0;
    std::uint32_t code = 0;
    std::uint32_t word = 0;
    std::uint32_t lparam = 0;
    std::vector<std::uint8_t> payload;
};

struct ServerFrame {
    std::uint32_t kind = 0;
    std::uint32_t a = 0; // reply: result; notification: message number
    std::uint32_t b = 0; // notification: wParam
    std::uint32_t c = 0; // notification: lParam
};

std::vector<std::uint8_t> encodeRequest(const Request& request);
void encodeServerFrame(const ServerFrame& frame, std::uint8_t out[ServerFrameSize]);
ServerFrame decodeServerFrame(const std::uint8_t in[ServerFrameSize]);

std::uint32_t readLe32(const std::uint8_t* p);
void writeLe32(std::uint8_t* p, std::uint32_t value);

// Cuts a byte stream into requests. A frame may arrive in any number of
// pieces; an unknown kind or an oversized count breaks the stream for good,
// since nothing after it can be framed again.
class RequestDecoder {
public:
    enum class Status { NeedMore, Ready, Broken };

    void feed(const std::uint8_t* data, std::size_t size);
    Status next(Request& out);
    bool broken() const { return m_broken; }

private:
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_start = 0;
    bool m_broken = false;
};

} // namespace LinkWire
