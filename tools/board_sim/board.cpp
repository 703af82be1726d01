#include "board.h"

#include <algorithm>

namespace quellbox::board {

namespace {

constexpr link::RelayMap all_relays = 0xFFFF;
constexpr std::size_t max_extra_bytes = 8;

link::Frame frame_at_front(const std::deque<std::uint8_t>& buffer) {
    link::Frame f{};
    std::copy_n(buffer.begin(), link::frame_size, f.begin());
    return f;
}

}  // namespace

void FrameScanner::feed(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<ScanEvent> FrameScanner::next() {
    if (buffer_.empty()) return std::nullopt;

    if (buffer_.front() != link::command_header) {
        const auto header = std::find(buffer_.begin(), buffer_.end(), link::command_header);
        ScanEvent skipped{ScanEvent::Kind::skipped, Bytes(buffer_.begin(), header)};
        buffer_.erase(buffer_.begin(), header);
        return skipped;
    }
    if (buffer_.size() < link::frame_size) return std::nullopt;

    const link::Frame candidate = frame_at_front(buffer_);
    if (candidate[link::pos_checksum] != link::checksum(candidate)) {
        buffer_.pop_front();
        return ScanEvent{ScanEvent::Kind::bad_checksum, Bytes(candidate.begin(), candidate.end())};
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + link::frame_size);
    return ScanEvent{ScanEvent::Kind::frame, Bytes(candidate.begin(), candidate.end())};
}

std::optional<link::Frame> Board::handle(const link::Frame& command) {
    if (command[link::pos_address] != address_) return std::nullopt;

    const std::uint8_t data1 = command[link::pos_data1];
    const std::uint8_t data2 = command[link::pos_data2];
    const link::RelayMap bit = link::relay_bit(data2);  // none for a channel outside 1 to 16

    switch (command[link::pos_command]) {
        case link::cmd_release_one:
            relays_ = static_cast<link::RelayMap>(relays_ & ~bit);
            break;
        case link::cmd_energize_one:
            relays_ = static_cast<link::RelayMap>(relays_ | bit);
            break;
        case link::cmd_set_all:
            if (data1 == link::set_all_energize && data2 == link::set_all_energize) {
                relays_ = all_relays;
            } else if (data1 == link::set_all_release && data2 == link::set_all_release) {
                relays_ = 0;
            }
            break;
        default:  // status query, and codes this board does not know
            break;
    }
    return link::build_status_frame(address_, relays_);
}

BoardLine::BoardLine(const std::vector<std::uint8_t>& addresses, std::uint16_t relays) {
    boards_.reserve(addresses.size());
    for (const std::uint8_t address : addresses) boards_.emplace_back(address, relays);
}

std::optional<link::Frame> BoardLine::handle(const link::Frame& command) {
    for (Board& b : boards_) {
        if (auto reply = b.handle(command)) return reply;
    }
    return std::nullopt;
}

const Board* BoardLine::board(std::uint8_t address) const {
    for (const Board& b : boards_) {
        if (b.address() == address) return &b;
    }
    return nullptr;
}

void BoardLine::set_relays(std::uint8_t address, link::RelayMap relays) {
    for (Board& b : boards_) {
        if (b.address() == address) b = Board(address, relays);
    }
}

bool FaultInjector::roll(double rate) {
    if (rate <= 0) return false;
    if (rate >= 1) return true;
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < rate;
}

std::size_t FaultInjector::pick(std::size_t below) {
    return std::uniform_int_distribution<std::size_t>(0, below - 1)(rng_);
}

bool FaultInjector::start_silence() {
    return roll(rates_.silence);
}

bool FaultInjector::answer_late() {
    return roll(rates_.late);
}

Bytes FaultInjector::spoil(const link::Frame& reply, std::vector<std::string>& applied) {
    link::Frame frame = reply;
    if (roll(rates_.bad_header)) {
        // Any header but the status header, with a checksum that suits it: only the header
        // check can catch this frame.
        frame[link::pos_header] = static_cast<std::uint8_t>(link::status_header + 1 + pick(255));
        frame[link::pos_checksum] = link::checksum(frame);
        applied.emplace_back("bad-header");
    }
    Bytes wire(frame.begin(), frame.end());
    if (roll(rates_.corrupt)) {
        const std::size_t at = pick(wire.size());
        wire[at] = static_cast<std::uint8_t>(wire[at] ^ (1 + pick(255)));  // never a no-op
        applied.emplace_back("corrupt");
    }
    if (roll(rates_.drop)) {
        wire.erase(wire.begin() + static_cast<std::ptrdiff_t>(pick(wire.size())));
        applied.emplace_back("drop");
    }
    if (roll(rates_.extra)) {
        const std::size_t count = 1 + pick(max_extra_bytes);
        for (std::size_t i = 0; i < count; ++i)
            wire.push_back(static_cast<std::uint8_t>(pick(256)));
        applied.emplace_back("extra");
    }
    return wire;
}

}  // namespace quellbox::board
