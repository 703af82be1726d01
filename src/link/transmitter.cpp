#include "link/transmitter.h"

#include "link/numeric_text.h"

namespace quellbox::link {

SendOutcome Transmitter::send_frame(std::uint8_t command, std::uint8_t data1, std::uint8_t data2) {
    // An address nobody clearly named (not a number, negative, past 255) sends nothing at all:
    // reducing 300 modulo 256 would command board 44 instead.
    if (!address_text_) return SendOutcome::bad_address;
    const auto address = text_to_int32(address_text_());
    if (!address || *address < 0 || *address > 255) return SendOutcome::bad_address;
    return send_frame_to(static_cast<std::uint8_t>(*address), command, data1, data2);
}

SendOutcome Transmitter::send_frame_to(std::uint8_t address, std::uint8_t command,
                                       std::uint8_t data1, std::uint8_t data2) {
    build_command_frame(tx_frame_, address, command, data1, data2);

    if (!port_.is_open()) return SendOutcome::port_closed;
    // Empty the receive buffer immediately before the write, never after: the next 8 bytes the
    // receiver reads are then the answer to this frame, never a stale or partial one.
    port_.clear_input();
    return port_.output(tx_frame_) ? SendOutcome::written : SendOutcome::write_failed;
}

}  // namespace quellbox::link
