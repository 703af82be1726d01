// Opens a port number with QtSerialPort in a process of its own and prints how it went:
// "<outcome> <device>". With --as-uid U (when started as root) it first drops to that user, so
// the tests can meet a real permission refusal although they run as root.

#include <grp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/qt_serial_port.h"

namespace {

const char* name(quellbox::link::OpenError e) {
    using quellbox::link::OpenError;
    switch (e) {
        case OpenError::none:
            return "none";
        case OpenError::no_such_port:
            return "no_such_port";
        case OpenError::missing:
            return "missing";
        case OpenError::busy:
            return "busy";
        case OpenError::no_permission:
            return "no_permission";
        case OpenError::other:
            break;
    }
    return "other";
}

}  // namespace

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
    std::printf("%s %s\n", name(result.error), result.device.c_str());
    return 0;
}
