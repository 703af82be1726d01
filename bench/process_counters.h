#pragma once
// What the kernel counts for a running process, summed over all its threads: time on a CPU
// (the scheduler's own nanoseconds, exact) and voluntary context switches, i.e. how often it
// went to sleep and had to be woken. Read from /proc, so any process can be measured from
// outside in the same way: the window, the script loop and the C loop alike.

#include <QtGlobal>
#include <cstdint>

namespace quellbox::bench {

struct ProcessCounters {
    bool valid = false;
    std::int64_t t_us = 0;  // when they were read (steady clock)
    double cpu_seconds = 0;
    std::uint64_t voluntary_switches = 0;
};

ProcessCounters read_counters(qint64 pid);

}  // namespace quellbox::bench
