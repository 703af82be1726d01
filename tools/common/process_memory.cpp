#include "tools/process_memory.h"

#include <fstream>
#include <string>

namespace quellbox::tools {

long resident_kib(long pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field;
    while (status >> field) {
        if (field == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

}  // namespace quellbox::tools
