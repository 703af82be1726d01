#pragma once
// The virtual relay board's logic, free of any I/O: cutting command frames out of a byte
// stream, acting on them like a 16-channel board, and spoiling replies on purpose for fault
// tests. The pty program, and any soak or bench tool, drives these with real bytes and clocks.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "link/frames.h"

namespace quellbox::board {

using Bytes = std::vector<std::uint8_t>;

// What the scanner found in the byte stream, in stream order.
struct ScanEvent {
    enum class Kind {
        frame,         // 8 bytes, header 0x55, right checksum
        skipped,       // bytes before a header, thrown away
        bad_checksum,  // 8 bytes from a header whose checksum is wrong: only the header goes
    };
    Kind kind;
    Bytes bytes;
};

// Cuts command frames out of the incoming bytes. Bytes are kept until a header (0x55) starts
// them; from a header, 8 bytes are taken as a frame when their checksum holds, otherwise only
// the header byte is dropped and the search goes on from the next byte. So a lost or extra
// byte costs at most the frames it touches, and a 0x55 inside a frame cannot pin the scanner.
class FrameScanner {
  public:
    void feed(std::span<const std::uint8_t> bytes);
    // The next event, or nothing while more bytes are needed to decide.
    std::optional<ScanEvent> next();
    std::size_t buffered() const { return buffer_.size(); }

  private:
    std::deque<std::uint8_t> buffer_;
};

// One 16-channel board, its relays kept as the map its status frames carry.
class Board {
  public:
    Board(std::uint8_t address, link::RelayMap relays) : address_(address), relays_(relays) {}

    // Acts on a command frame the scanner accepted. Returns the status frame to send back, or
    // nothing when the frame is addressed to another board. Unknown commands, channels outside
    // 1 to 16 and set-all data other than FF FF / 00 00 change nothing but are still answered,
    // so the tool sees the board alive.
    std::optional<link::Frame> handle(const link::Frame& command);

    std::uint8_t address() const { return address_; }
    link::RelayMap relays() const { return relays_; }

  private:
    std::uint8_t address_;
    link::RelayMap relays_;
};

// Several boards chained on one line (an RS-485 bus): each answers only frames carrying its
// own address and keeps its own relays.
class BoardLine {
  public:
    // One board per address, all starting with `relays`. Addresses are expected distinct.
    BoardLine(const std::vector<std::uint8_t>& addresses, std::uint16_t relays);

    // The reply of the board the frame is addressed to, or nothing when no board has that
    // address.
    std::optional<link::Frame> handle(const link::Frame& command);
    // The board with this address, or nullptr.
    const Board* board(std::uint8_t address) const;
    // Sets the relays of the board with this address, if there is one.
    void set_relays(std::uint8_t address, link::RelayMap relays);
    std::size_t size() const { return boards_.size(); }

  private:
    std::vector<Board> boards_;
};

// Probabilities (0 to 1) of each fault, drawn independently for every reply.
struct FaultRates {
    double corrupt = 0;     // one byte of the reply flipped
    double drop = 0;        // one byte of the reply left out
    double extra = 0;       // 1 to 8 random bytes appended
    double bad_header = 0;  // header replaced, checksum made right for it
    double silence = 0;     // the board goes quiet for a while instead of answering
    double late = 0;        // the reply is held back, as a board busy with something else
};

class FaultInjector {
  public:
    FaultInjector(const FaultRates& rates, std::uint32_t seed) : rates_(rates), rng_(seed) {}

    // Whether this reply starts a quiet period (the reply itself is not sent).
    bool start_silence();
    // Whether this reply is held back (by how long is the caller's business).
    bool answer_late();
    // The reply as it goes on the wire; the names of the faults applied are appended to
    // `applied` ("bad-header", "corrupt", "drop", "extra"), in that order.
    Bytes spoil(const link::Frame& reply, std::vector<std::string>& applied);

  private:
    bool roll(double rate);
    std::size_t pick(std::size_t below);

    FaultRates rates_;
    std::mt19937 rng_;
};

}  // namespace quellbox::board
