// Reading one frame off the port: exactly 8 reads, or nothing. Header and checksum are judged
// in test_frames.cpp.

#include <gtest/gtest.h>

#include <optional>

#include "link/status_receiver.h"
#include "support/fake_serial_port.h"

namespace quellbox::link {
namespace {

TEST(StatusReceiver, ReadsExactlyEightBytesOrNothing) {
    const std::pair<const char*, const char*> rows[] = {
        {"22 00 00 00 00 80 01 A3", "22 00 00 00 00 80 01 A3"},
        {"22 00 00 00 00 80 01 A3 22 00 00 00 00 00 00 22", "22 00 00 00 00 80 01 A3"},  // 8 of 16
        {"22 00 00 00 00 80 01", nullptr},  // 7 waiting: a zero for the 8th would pass its checks
        {"22 DE 00 00 00 00 00", nullptr},
        {"22 00", nullptr},
        {"", nullptr},
    };
    for (const auto& [trace, whole] : rows) {
        const auto waiting = test::parse_hex(trace);
        test::FakeSerialPort port;
        port.feed(waiting);
        const auto frame = read_frame(port);
        ASSERT_EQ(frame.has_value(), whole != nullptr) << trace;
        if (frame) {
            EXPECT_EQ(test::hex(*frame), whole);
        }
        EXPECT_EQ(port.incoming.size(), waiting.size() > 8 ? waiting.size() - 8 : 0) << trace;
    }
}

}  // namespace
}  // namespace quellbox::link
