#include "CharBufferReader.h"
#include "EventRecorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Exposes the buffer size a FromFILE reader chose.
class ProbeFILE : public CharBufferReader::FromFILE {
public:
    using FromFILE::FromFILE;
};

std::FILE* fileWith(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

std::string drain(CharBufferReader::Abstract& reader, std::size_t* chunks = nullptr) {
    std::string out;
    const char* p = nullptr;
    std::size_t n = 0;
    for (reader.fill(p, n); n != 0; reader.fill(p, n)) {
        EXPECT_NE(p, nullptr);
        out.append(p, n);
        if (chunks)
            ++*chunks;
    }
    EXPECT_EQ(p, nullptr);
    return out;
}

bool fdIsOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST(CharBufferReader, FromFILESizesItsBufferByTheFile) {
    // Smaller than requested: the file's size.
    ProbeFILE small(fileWith("0123456789"), 32768, true);
    EXPECT_EQ(small.bufferSize(), 10u);
    // Larger: the requested size, and the bytes come in chunks of it.
    const std::string big(100000, 'x');
    ProbeFILE large(fileWith(big), 32768, true);
    EXPECT_EQ(large.bufferSize(), 32768u);
    std::size_t chunks = 0;
    EXPECT_EQ(drain(large, &chunks), big);
    EXPECT_EQ(chunks, 4u);
    // An empty file has no size of at least 1: the requested size stays.
    ProbeFILE empty(fileWith(""), 512, true);
    EXPECT_EQ(empty.bufferSize(), 512u);
    EXPECT_EQ(drain(empty), "");
    // A pipe has no size either.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "<a/>", 4), 4);
    close(fds[1]);
    ProbeFILE piped(fdopen(fds[0], "r"), 64, true);
    EXPECT_EQ(piped.bufferSize(), 64u);
    EXPECT_EQ(drain(piped), "<a/>");
}

TEST(CharBufferReader, FromFILEReadsUnconvertedAndClosesOnlyWhatItOwns) {
    const std::string bytes = "line\r\nzwei\r\n\xFF\x1A\0end";
    std::FILE* owned = fileWith(bytes);
    const int ownedFd = fileno(owned);
    {
        ProbeFILE reader(owned, 32768, true);
        EXPECT_EQ(drain(reader), bytes);
    }
    EXPECT_FALSE(fdIsOpen(ownedFd));

    std::FILE* borrowed = fileWith(bytes);
    {
        ProbeFILE reader(borrowed, 4, false);
        EXPECT_EQ(drain(reader), bytes);
    }
    EXPECT_TRUE(fdIsOpen(fileno(borrowed)));
    std::fclose(borrowed);
}

TEST(CharBufferReader, ParsesAFileThroughTheLoaderSetup) {
    std::FILE* f = fileWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<Quenvo Type=\"Overlay\"></Quenvo>\n");
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromFILE>(f, 32768, true));
    EventRecorder r;
    EXPECT_TRUE(parser.parse(r));
    EXPECT_EQ(r.events, (std::vector<std::string>{"#\n", "<Quenvo", "@Type=Overlay", "/", "#\n", "close(1)"}));
}

TEST(CharBufferReader, AReaderClaimingMoreThanItsBufferIsCut) {
    class Liar : public CharBufferReader::AbstractWithBuffer {
    public:
        Liar() : AbstractWithBuffer(8) {}
        int calls = 0;

    protected:
        std::size_t read(char* buffer, std::size_t size) override {
            std::fill(buffer, buffer + size, 'a');
            return ++calls == 1 ? 1000 : 0;
        }
    } liar;
    EXPECT_EQ(drain(liar), "aaaaaaaa");
}
