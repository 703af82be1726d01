// Opens a port number with QtSerialPort in a process of its own and prints how it went:
// "<outcome> <device>", then "holder=<program>:<pid>" and "lock=<file>" when the result names
// them. With --as-uid U (when started as root) it first drops to that user, so
// the tests can meet a real permission refusal although they run as root.

#include <grp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "link/qt_serial_port.h"

int main(int argc, char** argv) {
    int port = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--as-uid") == 0 && i + 1 < argc) {
            const auto uid = static_cast<uid_t>(std::atoi(argv[++i]));
            if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
                std::perror("dropping privileges");
                return 2;
            }
            // Changing user makes the process undumpable, which hides /proc/self from it and
            // breaks the leak checker of sanitizer builds.
            ::prctl(PR_SET_DUMPABLE, 1);
        } else {
            port = std::atoi(argv[i]);
        }
    }
    QCoreApplication app(argc, argv);
    quellbox::link::QtSerialPort serial;
    serial.set_comm_port(static_cast<std::int16_t>(port));
    const quellbox::link::OpenResult result = serial.open();
    // The tests look for these outcomes; any other is printed as its number.
    using quellbox::link::OpenError;
    const std::pair<OpenError, const char*> named[] = {{OpenError::none, "opened"},
                                                       {OpenError::busy, "busy"},
                                                       {OpenError::no_permission, "no_permission"},
                                                       {OpenError::stale_lock, "stale_lock"}};
    std::string outcome = "outcome_" + std::to_string(static_cast<int>(result.error));
    for (const auto& [error, name] : named) {
        if (error == result.error) outcome = name;
    }
    std::printf("%s %s", outcome.c_str(), result.device.c_str());
    if (result.holder) {
        std::printf(" holder=%s:%lld", result.holder->program.c_str(),
                    static_cast<long long>(result.holder->pid));
    }
    if (result.access) {
        std::printf(" access=%s:%s:%04o", result.access->owner.c_str(),
                    result.access->group.c_str(), result.access->mode);
    }
    if (!result.lock_file.empty()) std::printf(" lock=%s", result.lock_file.c_str());
    std::printf("\n");
    return 0;
}
