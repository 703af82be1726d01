#pragma once
// The reference loops' serial line: raw bytes at 9600 baud, 8N1, as the window's own line is
// set up, with reads returning once `minimum` bytes are in (0: whatever is there).

#include <termios.h>

namespace quellbox::bench {

inline void make_raw_9600(int fd, cc_t minimum) {
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = minimum;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace quellbox::bench
