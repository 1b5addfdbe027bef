#include "SharedBlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using GpsProtocol::PositionRecord;

namespace {

// A private block name, so this test never meets a running link program.
std::string testName() {
    return "/Tolm_NMEA_test_" + std::to_string(getpid());
}

} // namespace

// While one thread rewrites the position words as fast as it can, a reader
// only ever sees copies whose ten words all come from one write.
TEST(SharedBlock, ReadersGetConsistentCopies) {
    const std::string name = testName();
    std::string error;
    auto writer = SharedBlock::create(&error, name.c_str());
    ASSERT_TRUE(writer) << error;
    auto reader = SharedBlock::openExisting(&error, name.c_str());
    ASSERT_TRUE(reader) << error;

    std::atomic<bool> stop{false};
    std::thread writing([&] {
        for (std::int32_t i = 1; !stop.load(); ++i) {
            PositionRecord r;
            r.latDegrees = i;
            r.latMinutes = float(i % 1000);
            r.lonDegrees = i;
            r.lonMinutes = float(i % 1000);
            r.quality = i;
            r.satellites = i;
            r.hdop = float(i % 1000);
            r.altitude = float(i % 1000);
            r.diffAge = i;
            r.timeMs = i;
            writer->writePosition(r);
        }
    });
    int torn = 0;
    for (int n = 0; n < 200000; ++n) {
        PositionRecord r;
        reader->readPosition(r);
        const std::int32_t i = r.timeMs;
        if (r.latDegrees != i || r.lonDegrees != i || r.quality != i || r.satellites != i || r.diffAge != i ||
            r.latMinutes != float(i % 1000) || r.altitude != float(i % 1000))
            ++torn;
    }
    stop = true;
    writing.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(writer->data()->sequence % 2, 0u);
    SharedBlock::remove(name.c_str());
}

// A block that belongs to another user is refused before anything is
// mapped; a block of the wrong size is refused to clients.
TEST(SharedBlock, RefusesForeignAndShortBlocks) {
    const std::string name = testName() + "f";
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    std::string error;
    EXPECT_FALSE(SharedBlock::openExisting(&error, name.c_str())) << "an empty block is not a position block";
    if (geteuid() == 0 && fchown(fd, 65534, 65534) == 0) {
        ASSERT_EQ(ftruncate(fd, 4096), 0);
        error.clear();
        EXPECT_FALSE(SharedBlock::create(&error, name.c_str()));
        EXPECT_NE(error.find("anderen Benutzer"), std::string::npos) << error;
    }
    close(fd);
    SharedBlock::remove(name.c_str());
    // A block created by the server is private to its user.
    auto own = SharedBlock::create(&error, name.c_str());
    ASSERT_TRUE(own);
    struct stat st {};
    const int check = shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(check, 0);
    fstat(check, &st);
    close(check);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 4096);
    SharedBlock::remove(name.c_str());
}
