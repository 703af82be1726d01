#include "cpu_pinning.h"

#include <sched.h>

namespace quellbox::bench {
namespace {

cpu_set_t only(int core) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    return set;
}

// Of the calling thread; what it starts afterwards inherits them.
bool set_own_cores(const cpu_set_t& cores) {
    return ::sched_setaffinity(0, sizeof cores, &cores) == 0;
}

}  // namespace

std::optional<int> pin_to_one_core() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::nullopt;
    for (int core = CPU_SETSIZE - 1; core >= 0; --core) {
        if (!CPU_ISSET(core, &allowed)) continue;
        if (!set_own_cores(only(core))) return std::nullopt;
        return core;
    }
    return std::nullopt;
}

void keep_off_core(qint64 pid, int core) {
    cpu_set_t others;
    CPU_ZERO(&others);
    for (int c = 0; c < CPU_SETSIZE; ++c) {
        if (c != core) CPU_SET(c, &others);
    }
    // Fails, harmlessly, when no other core exists.
    (void)::sched_setaffinity(static_cast<pid_t>(pid), sizeof others, &others);
}

AwayFromCore::AwayFromCore(std::optional<int> core) : core_(core) {
    if (core_) keep_off_core(0, *core_);  // 0: the calling thread
}

AwayFromCore::~AwayFromCore() {
    if (core_) (void)set_own_cores(only(*core_));
}

}  // namespace quellbox::bench
