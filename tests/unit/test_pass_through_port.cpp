// The pass-through port that the e2e tests, the soak and the bench put between the window and
// the real port: what it reports, and when, relative to the window's own handlers.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/fake_serial_port.h"
#include "tools/pass_through_port.h"

namespace quellbox::tools {
namespace {

class Recorder : public PortObserver {
  public:
    void receive_begins() override { log += "["; }
    void byte_read(std::uint8_t byte) override { log += std::to_string(byte) + " "; }
    void receive_ends(std::span<const std::uint8_t> bytes) override {
        log += "]" + std::to_string(bytes.size());
    }
    void frame_written(std::span<const std::uint8_t> bytes) override {
        log += "w" + std::to_string(bytes.size());
    }
    void port_lost() override { log += "lost"; }
    std::string log;
};

TEST(PassThroughPort, ReportsReadsInsideTheirEventAndLossesAfterTheHandler) {
    auto owned = std::make_unique<test::FakeSerialPort>();
    test::FakeSerialPort& fake = *owned;
    Recorder recorder;
    PassThroughPort port(std::move(owned), recorder);
    port.set_on_comm([&] {
        recorder.log += "h";
        while (port.input()) {
        }
    });
    port.set_on_lost(
        [&](const std::string& device, const std::string&) { recorder.log += "H" + device; });

    fake.feed({1, 2, 3});
    fake.raise_comm();
    port.output(std::vector<std::uint8_t>(8, 0x55));
    fake.lose("dev", "gone");
    EXPECT_EQ(recorder.log, "[h1 2 3 ]3w8Hdevlost");
    EXPECT_EQ(fake.written.size(), 1u);

    port.set_on_comm({});
    fake.raise_comm();  // nothing installed: no event at all
    EXPECT_EQ(recorder.log, "[h1 2 3 ]3w8Hdevlost");
}

}  // namespace
}  // namespace quellbox::tools
