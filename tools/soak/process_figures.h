#pragma once
// Memory and CPU figures of the soak's own process and of the children it has waited for.

namespace quellbox::soak {

struct ProcessFigures {
    long rss_kib = 0;  // VmRSS
    long hwm_kib = 0;  // VmHWM, the peak so far
    double cpu_s = 0;
    double children_cpu_s = 0;
};
ProcessFigures process_figures();

}  // namespace quellbox::soak
