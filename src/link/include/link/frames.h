#pragma once
// The two 8-byte frames the tool and the relay board exchange, their checksum, and the channel
// map a status frame carries (encoded by the board, decoded by everything that listens).

#include <array>
#include <cstddef>
#include <cstdint>

namespace quellbox::link {

inline constexpr std::size_t frame_size = 8;
using Frame = std::array<std::uint8_t, frame_size>;

inline constexpr std::uint8_t command_header = 0x55;
inline constexpr std::uint8_t status_header = 0x22;

// Command codes: the only values the tool ever puts into byte 2 of a command frame.
inline constexpr std::uint8_t cmd_status_query = 0x10;
inline constexpr std::uint8_t cmd_release_one = 0x11;
inline constexpr std::uint8_t cmd_energize_one = 0x12;
inline constexpr std::uint8_t cmd_set_all = 0x13;

// Data values of the set-all command (both data bytes carry the same value).
inline constexpr std::uint8_t set_all_energize = 0xFF;
inline constexpr std::uint8_t set_all_release = 0x00;

// Byte positions inside a frame.
inline constexpr std::size_t pos_header = 0;
inline constexpr std::size_t pos_address = 1;
inline constexpr std::size_t pos_command = 2;
inline constexpr std::size_t pos_data1 = 5;  // status frame: channels 9 to 16
inline constexpr std::size_t pos_data2 = 6;  // status frame: channels 1 to 8
inline constexpr std::size_t pos_checksum = 7;

// Sum of bytes 0 to 6 modulo 256; the same rule in both directions.
std::uint8_t checksum(const Frame& frame);

// Fills all 8 bytes of a command frame, checksum included.
void build_command_frame(Frame& out, std::uint8_t address, std::uint8_t command, std::uint8_t data1,
                         std::uint8_t data2);

// Header 0x22 and a matching checksum: the only status frames the tool believes.
bool is_valid_status_frame(const Frame& frame);

// The 16 relays of a board: bit (channel - 1) is set while that channel is energized. A status
// frame carries channels 1 to 8 in byte 6 (bit 0 is channel 1) and 9 to 16 in byte 5.
using RelayMap = std::uint16_t;
inline constexpr int channel_count = 16;

// The board's side, shared with the virtual board: a status frame for `relays`. Bytes 1 to 4
// carry `address` then zeros.
Frame build_status_frame(std::uint8_t address, RelayMap relays);

// The listener's side: the relay map of a status frame (whether the frame is valid is a
// separate question, answered by is_valid_status_frame).
RelayMap relays_of(const Frame& status);

// The bit of channel 1 to 16 in a relay map; none for any other channel number.
RelayMap relay_bit(int channel);

// Channel 1 to 16 energized in `relays`; false for any other channel number.
bool is_energized(RelayMap relays, int channel);

}  // namespace quellbox::link
