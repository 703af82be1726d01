// Reading one status frame off the port: exactly 8 reads, then the header and checksum checks.

#include <gtest/gtest.h>

#include <algorithm>

#include "link/status_receiver.h"
#include "support/fake_serial_port.h"

namespace quellbox::link {
namespace {

TEST(StatusReceiver, ReadsEightBytesAndJudgesThem) {
    const std::pair<const char*, bool> rows[] = {
        {"22 00 00 00 00 80 01 A3", true},
        {"22 00 00 00 00 80 01 A4", false},                         // wrong checksum
        {"23 00 00 00 00 80 01 A4", false},                         // wrong header
        {"22 00 00 00 00 80 01 A3 22 00 00 00 00 00 00 22", true},  // 16 waiting: 8 read
        {"22 00 00 00 00 80 01", false},                            // 7 waiting
        {"22 DE 00 00 00 00 00", false},  // a zero for the missing checksum would pass
        {"22 00", false},
        {"", false},
    };
    for (const auto& [trace, accepted] : rows) {
        const auto waiting = test::bytes_of(trace);
        test::FakeSerialPort port;
        port.feed(waiting);
        RxBytes rx;
        rx.fill(0x55);  // left over from an earlier frame
        EXPECT_EQ(read_status_frame(port, rx), accepted) << trace;
        // The bytes read in order; a slot whose byte never came holds -1.
        RxBytes expected;
        expected.fill(-1);
        std::copy_n(waiting.begin(), std::min<std::size_t>(waiting.size(), 8), expected.begin());
        EXPECT_EQ(rx, expected) << trace;
        EXPECT_EQ(port.incoming.size(), waiting.size() > 8 ? waiting.size() - 8 : 0) << trace;
    }
}

}  // namespace
}  // namespace quellbox::link
