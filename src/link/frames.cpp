#include "link/frames.h"

namespace quellbox::link {

std::uint8_t checksum(const Frame& frame) {
    // At most 7 * 255 = 1785: no overflow before the reduction.
    unsigned sum = 0;
    for (std::size_t i = 0; i < pos_checksum; ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum % 256);
}

void build_command_frame(Frame& out, std::uint8_t address, std::uint8_t command, std::uint8_t data1,
                         std::uint8_t data2) {
    out[pos_header] = command_header;
    out[pos_address] = address;
    out[pos_command] = command;
    out[3] = 0x00;
    out[4] = 0x00;
    out[pos_data1] = data1;
    out[pos_data2] = data2;
    out[pos_checksum] = checksum(out);
}

bool is_valid_status_frame(const Frame& frame) {
    // Both checks always run; neither has side effects.
    const bool header_ok = frame[pos_header] == status_header;
    const bool sum_ok = frame[pos_checksum] == checksum(frame);
    return header_ok && sum_ok;
}

Frame build_status_frame(std::uint8_t address, RelayMap relays) {
    Frame f{};
    f[pos_header] = status_header;
    f[pos_address] = address;
    f[pos_data1] = static_cast<std::uint8_t>(relays >> 8);
    f[pos_data2] = static_cast<std::uint8_t>(relays & 0xFF);
    f[pos_checksum] = checksum(f);
    return f;
}

RelayMap relays_of(const Frame& status) {
    return static_cast<RelayMap>((status[pos_data1] << 8) | status[pos_data2]);
}

RelayMap relay_bit(int channel) {
    if (channel < 1 || channel > channel_count) return 0;
    return static_cast<RelayMap>(1U << (channel - 1));
}

bool is_energized(RelayMap relays, int channel) {
    return (relays & relay_bit(channel)) != 0;
}

}  // namespace quellbox::link
