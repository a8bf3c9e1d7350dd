#include <kit/kernel/private/ShortSlice.h>

#include <cstdint>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kit_private {

namespace {

// The kernel's struct sched_attr; the C library has no wrapper for the calls.
struct SchedAttr {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime;
    uint64_t deadline;
    uint64_t period;
    uint32_t utilMin;
    uint32_t utilMax;
};

// The shortest turn the kernel grants an ordinary thread, in nanoseconds.
constexpr uint64_t kShortSlice = 100'000;

} // namespace

void AskShortSlice() {
    SchedAttr attributes{};
    if (::syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0) != 0)
        return;
    // Only an ordinary thread, with its niceness kept as it is; a thread
    // given a real-time or batch policy by its user keeps what it has.
    if (attributes.policy != SCHED_OTHER)
        return;
    attributes.size = sizeof attributes;
    attributes.runtime = kShortSlice;
    ::syscall(SYS_sched_setattr, 0, &attributes, 0);
}

} // namespace kit_private
