// Frame layout, checksum and the status-frame checks, on the bytes as they travel.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "link/frames.h"
#include "support/fake_serial_port.h"

namespace quellbox::link {
namespace {

using test::hex;

Frame frame_of(std::string_view trace) {
    Frame f{};
    const auto bytes = test::parse_hex(trace);
    std::copy(bytes.begin(), bytes.end(), f.begin());
    return f;
}

TEST(CommandFrame, BuildsTheBytesOnTheWire) {
    struct Row {
        std::uint8_t address, command, data1, data2;
        const char* wire;
    };
    const Row rows[] = {{1, 0x10, 0, 0, "55 01 10 00 00 00 00 66"},
                        {1, 0x12, 0, 5, "55 01 12 00 00 00 05 6D"},
                        {1, 0x11, 0, 5, "55 01 11 00 00 00 05 6C"},
                        {1, 0x13, 255, 255, "55 01 13 00 00 FF FF 67"},  // 0x267: low 8 bits
                        {1, 0x13, 0, 0, "55 01 13 00 00 00 00 69"},
                        {0, 0x10, 0, 0, "55 00 10 00 00 00 00 65"},
                        {255, 0x10, 0, 0, "55 FF 10 00 00 00 00 64"},
                        {255, 0x11, 0, 16, "55 FF 11 00 00 00 10 75"}};
    for (const Row& r : rows) {
        Frame out;
        out.fill(0xAA);  // every position must be rewritten, the checksum from bytes 0 to 6
        build_command_frame(out, r.address, r.command, r.data1, r.data2);
        EXPECT_EQ(hex(out), r.wire);
    }
}

TEST(StatusFrame, AcceptsOnlyTheRightHeaderWithTheRightChecksum) {
    const std::pair<const char*, bool> rows[] = {
        {"22 00 00 00 00 80 01 A3", true},   // channels 16 and 1
        {"22 00 00 00 00 80 01 A4", false},  // wrong checksum
        {"23 00 00 00 00 80 01 A4", false},  // checksum right, header wrong
        {"55 00 00 00 00 80 01 D6", false},  // a command frame
        {"22 12 34 56 78 00 00 36", true},   // bytes 1 to 4 may hold anything...
        {"22 12 34 56 79 00 00 36", false},  // ...but count in the checksum
        {"22 FF FF FF FF FF FF 1C", true},   // sum wraps past 255
    };
    for (const auto& [trace, valid] : rows) {
        EXPECT_EQ(is_valid_status_frame(frame_of(trace)), valid) << trace;
    }
}

TEST(StatusFrame, BoardSideCarriesChannelsNineToSixteenFirst) {
    EXPECT_EQ(hex(build_status_frame(0, 0x8001)), "22 00 00 00 00 80 01 A3");
    EXPECT_EQ(hex(build_status_frame(3, 0x0100)), "22 03 00 00 00 01 00 26");
}

TEST(StatusFrame, DecodingGivesBackTheMapTheBoardEncoded) {
    for (const RelayMap relays : {0x0000, 0x0001, 0x8000, 0x8001, 0x0100, 0x00FF, 0xA55A, 0xFFFF}) {
        EXPECT_EQ(relays_of(build_status_frame(7, relays)), relays) << relays;
    }
    const RelayMap relays = relays_of(build_status_frame(0, 0x8001));  // 22 00 00 00 00 80 01 A3
    std::string energized;
    for (int channel = 0; channel <= 17; ++channel)
        energized += is_energized(relays, channel) ? '1' : '0';
    EXPECT_EQ(energized, "010000000000000010");  // channels 1 and 16 only; 0 and 17 never
}

}  // namespace
}  // namespace quellbox::link
