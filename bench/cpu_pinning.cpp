#include "cpu_pinning.h"

#include <sched.h>

namespace quellbox::bench {

std::optional<int> pin_to_one_core() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::nullopt;
    for (int core = CPU_SETSIZE - 1; core >= 0; --core) {
        if (!CPU_ISSET(core, &allowed)) continue;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(core, &one);
        if (::sched_setaffinity(0, sizeof one, &one) != 0) return std::nullopt;
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

}  // namespace quellbox::bench
