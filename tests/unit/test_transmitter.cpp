// send_frame through an in-memory port: what reaches the line, in which order, and what is
// left alone when nothing may be sent.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/transmitter.h"
#include "support/fake_serial_port.h"

namespace quellbox::link {
namespace {

using Lines = std::vector<std::string>;

class FrameTransmitter : public ::testing::Test {
  protected:
    void SetUp() override {
        port.open();
        port.calls.clear();
        port.feed({0x22, 0x01, 0x02});  // stale bytes of an earlier answer
    }

    test::FakeSerialPort port;
    std::string address = "1";
    Transmitter module{port, [this] { return address; }};
};

TEST_F(FrameTransmitter, EmptiesTheReceiveBufferThenWritesTheFrame) {
    EXPECT_EQ(module.send_frame(cmd_status_query, 0, 0), SendOutcome::written);
    EXPECT_EQ(port.calls, (Lines{"clear", "output"}));
    EXPECT_EQ(port.written_hex(), Lines{"55 01 10 00 00 00 00 66"});
    EXPECT_TRUE(port.incoming.empty());
}

TEST_F(FrameTransmitter, ReadsTheAddressFieldAfreshForEveryFrame) {
    const char* const texts[] = {"1", "2", "0", "255", " 7\t", "+3", "2.5", "254.6", "-0.4"};
    for (const char* text : texts) {
        address = text;
        module.send_frame(cmd_set_all, 0xFF, 0xFF);
    }
    module.send_frame(cmd_release_one, 0x00, 0x0C);
    EXPECT_EQ(port.written_hex(), (Lines{"55 01 13 00 00 FF FF 67", "55 02 13 00 00 FF FF 68",
                                         "55 00 13 00 00 FF FF 66", "55 FF 13 00 00 FF FF 65",
                                         "55 07 13 00 00 FF FF 6D", "55 03 13 00 00 FF FF 69",
                                         "55 02 13 00 00 FF FF 68", "55 FF 13 00 00 FF FF 65",
                                         "55 00 13 00 00 FF FF 66", "55 00 11 00 00 00 0C 72"}));
}

TEST_F(FrameTransmitter, ClosedPortGetsNothingAndKeepsItsIncomingBytes) {
    port.close();
    port.calls.clear();
    address = "2";
    EXPECT_EQ(module.send_frame(cmd_energize_one, 0, 5), SendOutcome::port_closed);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(port.incoming.size(), 3U);
}

TEST_F(FrameTransmitter, AddressNotFromZeroTo255SendsNothingAtAll) {
    const std::string nines(10'000, '9');
    for (const char* text : {"", "abc", "300", "256", "255.5", "-1", "-0.6", "1e2", "0x01", "1 2",
                             "99999999999999", "\xEF\xBC\x91", nines.c_str()}) {
        address = text;
        EXPECT_EQ(module.send_frame(cmd_set_all, 0, 0), SendOutcome::bad_address)
            << std::string(text).substr(0, 20);
    }
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(port.incoming.size(), 3U);
}

TEST_F(FrameTransmitter, ReportsAWriteThePortRefused) {
    port.fail_writes = true;
    EXPECT_EQ(module.send_frame(cmd_status_query, 0, 0), SendOutcome::write_failed);
    EXPECT_EQ(port.calls, (Lines{"clear", "output"}));
}

}  // namespace
}  // namespace quellbox::link
