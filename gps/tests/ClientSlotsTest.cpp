#include "ClientSlots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

// Live slots count, released ones do not, and the slot of a process that
// died without releasing it stops counting and is cleared away.
TEST(ClientSlots, CountsOnlyLiveHolders) {
    char name[] = "/tmp/slotstestXXXXXX";
    const std::string dir = std::string(mkdtemp(name)) + "/clients";
    auto a = ClientSlots::Slot::acquire(dir);
    auto b = ClientSlots::Slot::acquire(dir);
    ASSERT_TRUE(a.valid());
    ASSERT_TRUE(b.valid());
    EXPECT_EQ(ClientSlots::countLive(dir, false), 2);
    b.release();
    EXPECT_EQ(ClientSlots::countLive(dir, false), 1);

    int up[2], down[2];
    ASSERT_EQ(pipe(up), 0);
    ASSERT_EQ(pipe(down), 0);
    const pid_t child = fork();
    if (child == 0) {
        auto slot = ClientSlots::Slot::acquire(dir);
        char ok = slot.valid() ? 1 : 0;
        [[maybe_unused]] auto n = write(up[1], &ok, 1);
        char wait;
        [[maybe_unused]] auto m = read(down[0], &wait, 1);
        _exit(0); // dies holding the slot, without releasing it
    }
    char ok = 0;
    const bool childReady = read(up[0], &ok, 1) == 1 && ok == 1;
    const int whileAlive = ClientSlots::countLive(dir, false);
    [[maybe_unused]] auto n = write(down[1], &ok, 1);
    waitpid(child, nullptr, 0);
    for (int fd : {up[0], up[1], down[0], down[1]})
        close(fd);
    ASSERT_TRUE(childReady);
    EXPECT_EQ(whileAlive, 2);
    int stored = -1;
    EXPECT_EQ(ClientSlots::recount(dir, [&](int count) { stored = count; }), 1);
    EXPECT_EQ(stored, 1);
    // The dead client's file is gone: only the live slot and the lock remain.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files += entry.path().extension() == ".slot" ? 1 : 0;
    EXPECT_EQ(files, 1);
    a.release();
    EXPECT_EQ(ClientSlots::countLive(dir, true), 0);
    std::filesystem::remove_all(std::filesystem::path(dir).parent_path());
}
