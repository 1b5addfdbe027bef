// Bytes from a client socket: request framing in arbitrary pieces and the
// payload checks the server makes before it trusts a request.
#include "GpsProtocol.h"
#include "LinkWire.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte sets the piece size the stream arrives in.
    const std::size_t piece = std::size_t(data[0] % 32) + 1;
    LinkWire::RequestDecoder decoder;
    LinkWire::Request request;
    std::size_t consumed = 0;
    for (std::size_t pos = 1; pos < size; pos += piece) {
        const std::size_t n = std::min(piece, size - pos);
        decoder.feed(data + pos, n);
        for (;;) {
            const auto status = decoder.next(request);
            if (status != LinkWire::RequestDecoder::Status::Ready)
                break;
            if (request.payload.size() > LinkWire::MaxPayload)
                std::abort();
            consumed += LinkWire::RequestHeaderSize + request.payload.size();
            if (consumed > size)
                std::abort();
            // What the server takes from a payload, with its size checks.
            if (request.payload.size() >= sizeof(GpsProtocol::ClientRegistration)) {
                GpsProtocol::ClientRegistration registration;
                std::memcpy(&registration, request.payload.data(), sizeof(registration));
            }
            const auto end = std::find(request.payload.begin(), request.payload.end(), std::uint8_t(0));
            const std::string name(request.payload.begin(), end);
            if (name.size() > request.payload.size())
                std::abort();
            // Re-encoding gives the same frame back.
            const auto again = LinkWire::encodeRequest(request);
            if (again.size() != LinkWire::RequestHeaderSize + request.payload.size())
                std::abort();
        }
    }
    return 0;
}
