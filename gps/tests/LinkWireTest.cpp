#include "LinkWire.h"

#include <gtest/gtest.h>

using namespace LinkWire;

namespace {

Request dataRequest(std::uint32_t code, std::vector<std::uint8_t> payload) {
    return Request{KindData, code, 7, 0, std::move(payload)};
}

} // namespace

// Frames that arrive byte by byte, several in one piece, and a cut frame
// that is completed later all come out whole and in order.
TEST(RequestDecoder, ReassemblesFramesFromAnyPieces) {
    const auto a = encodeRequest(dataRequest(1025, std::vector<std::uint8_t>(16, 0xAB)));
    const auto b = encodeRequest(Request{KindPlain, 1028, 0, 99, {}});
    std::vector<std::uint8_t> stream(a);
    stream.insert(stream.end(), b.begin(), b.end());

    RequestDecoder bytewise;
    std::vector<Request> out;
    Request r;
    for (std::uint8_t byte : stream) {
        bytewise.feed(&byte, 1);
        while (bytewise.next(r) == RequestDecoder::Status::Ready)
            out.push_back(r);
    }
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].code, 1025u);
    EXPECT_EQ(out[0].word, 7u);
    EXPECT_EQ(out[0].payload, std::vector<std::uint8_t>(16, 0xAB));
    EXPECT_EQ(out[1].kind, KindPlain);
    EXPECT_EQ(out[1].lparam, 99u);

    RequestDecoder whole;
    whole.feed(stream.data(), stream.size() - 3);
    EXPECT_EQ(whole.next(r), RequestDecoder::Status::Ready);
    EXPECT_EQ(whole.next(r), RequestDecoder::Status::NeedMore);
    whole.feed(stream.data() + stream.size() - 3, 3);
    EXPECT_EQ(whole.next(r), RequestDecoder::Status::Ready);
    EXPECT_EQ(r.code, 1028u);
}

// An unknown kind or a count beyond the limit cannot be framed again: the
// stream is broken for good and nothing after it is taken as a request.
TEST(RequestDecoder, RefusesUnframeableInput) {
    Request r;
    auto bad = encodeRequest(Request{3, 1025, 0, 0, {}});
    RequestDecoder kind;
    kind.feed(bad.data(), bad.size());
    EXPECT_EQ(kind.next(r), RequestDecoder::Status::Broken);
    const auto good = encodeRequest(Request{KindPlain, 1028, 0, 0, {}});
    kind.feed(good.data(), good.size());
    EXPECT_EQ(kind.next(r), RequestDecoder::Status::Broken);

    std::vector<std::uint8_t> header(RequestHeaderSize, 0);
    writeLe32(&header[0], KindData);
    writeLe32(&header[16], MaxPayload + 1);
    RequestDecoder count;
    count.feed(header.data(), header.size());
    EXPECT_EQ(count.next(r), RequestDecoder::Status::Broken);

    // The largest allowed payload still passes.
    const auto biggest = encodeRequest(dataRequest(1029, std::vector<std::uint8_t>(MaxPayload, 'x')));
    RequestDecoder limit;
    limit.feed(biggest.data(), biggest.size());
    ASSERT_EQ(limit.next(r), RequestDecoder::Status::Ready);
    EXPECT_EQ(r.payload.size(), std::size_t(MaxPayload));
}

TEST(ServerFrame, IsLittleEndian) {
    std::uint8_t bytes[ServerFrameSize];
    encodeServerFrame(ServerFrame{KindNotification, 1024, 0x01020304, 5}, bytes);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[4], 0x00);
    EXPECT_EQ(bytes[5], 0x04);
    EXPECT_EQ(bytes[8], 0x04);
    EXPECT_EQ(bytes[11], 0x01);
    const ServerFrame back = decodeServerFrame(bytes);
    EXPECT_EQ(back.a, 1024u);
    EXPECT_EQ(back.b, 0x01020304u);
    EXPECT_EQ(back.c, 5u);
}
