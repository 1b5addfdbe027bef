#include "ThreadSlice.h"

#include <cstdint>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The kernel's scheduling attributes (the C library has no wrapper for them).
struct SchedAttr {
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime; // for the fair policies: the requested slice in ns
    std::uint64_t deadline;
    std::uint64_t period;
};

// The shortest slice the kernel grants is 0.1 ms; a receiving thread's turn
// is far shorter than that.
constexpr std::uint64_t ShortSliceNs = 100000;

} // namespace

namespace ThreadSlice {

bool requestShort() {
#if defined(SYS_sched_getattr) && defined(SYS_sched_setattr)
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof(attr), 0) != 0)
        return false;
    // Only the ordinary time-sharing policies have slices to ask for.
    if (attr.policy != SCHED_OTHER && attr.policy != SCHED_BATCH)
        return false;
    attr.size = sizeof(attr);
    attr.flags = 0;
    attr.runtime = ShortSliceNs;
    attr.deadline = 0;
    attr.period = 0;
    return syscall(SYS_sched_setattr, 0, &attr, 0) == 0;
#else
    return false;
#endif
}

} // namespace ThreadSlice
