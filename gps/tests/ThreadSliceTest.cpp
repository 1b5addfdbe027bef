// The short slice of the receiving threads leaves their policy and nice
// value as they were.
#include "ThreadSlice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// The slice the kernel reports for the calling thread, or -1 where it
// reports none.
long long reportedSlice() {
    std::ifstream in("/proc/thread-self/sched");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("se.slice", 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? -1 : std::stoll(line.substr(colon + 1));
        }
    }
    return -1;
}

} // namespace

TEST(ThreadSlice, KeepsPolicyAndNiceValue) {
    for (const int policy : {SCHED_OTHER, SCHED_BATCH}) {
        std::thread([policy] {
            sched_param param{};
            ASSERT_EQ(sched_setscheduler(0, policy, &param), 0);
            const pid_t tid = pid_t(syscall(SYS_gettid));
            ASSERT_EQ(setpriority(PRIO_PROCESS, id_t(tid), 7), 0);
            const bool granted = ThreadSlice::requestShort();
            EXPECT_EQ(sched_getscheduler(0), policy);
            errno = 0;
            EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(tid)), 7);
            EXPECT_EQ(errno, 0);
            if (granted && reportedSlice() >= 0) {
                EXPECT_EQ(reportedSlice(), 100000) << "0.1 ms";
            }
        }).join();
    }
}
