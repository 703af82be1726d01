#include "session/poll_session.h"

#include <algorithm>

#include "link/poll_rules.h"
#include "link/status_receiver.h"

namespace quellbox::session {

PollSession::PollSession(link::SerialPort& port, std::vector<std::uint8_t> addresses,
                         SessionEvents events)
    : port_(port), transmitter_(port), events_(std::move(events)) {
    boards_.resize(addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i) boards_[i].address = addresses[i];
    restart();
    port_.set_on_comm([this] { on_receive(); });
    port_.set_on_lost(
        [this](const std::string& device, const std::string& reason) { on_lost(device, reason); });
}

void PollSession::restart() {
    for (Board& board : boards_) {
        board.countdown.reload();
        board.known = false;
        board.reported_silent = false;
    }
    target_.reset();
}

void PollSession::tick() {
    if (!port_.is_open() || boards_.empty()) return;

    Board* board = board_with_oldest_command();
    QueuedCommand frame{link::cmd_status_query, 0x00, 0x00, 0, 0};
    if (board != nullptr) {
        // Taken off before the hand-over: a command goes out at most once, even if the write
        // fails (the owner hears of a dead line through the loss event).
        frame = board->queue.front();
        board->queue.pop_front();
    } else {
        board = &boards_[next_poll_];
        next_poll_ = (next_poll_ + 1) % boards_.size();
    }
    count_down(*board);

    target_ = static_cast<std::size_t>(board - boards_.data());
    const auto outcome =
        transmitter_.send_frame_to(board->address, frame.code, frame.data1, frame.data2);
    if (outcome == link::SendOutcome::written && events_.sent) {
        events_.sent(board->address, transmitter_.last_frame());
    }
}

void PollSession::count_down(Board& board) {
    if (!board.countdown.silent_at_tick()) return;
    board.known = false;
    if (board.reported_silent) return;
    board.reported_silent = true;
    if (events_.silent) events_.silent(board.address);
}

PollSession::Board* PollSession::board_with_oldest_command() {
    Board* oldest = nullptr;
    for (Board& board : boards_) {
        if (board.queue.empty()) continue;
        if (oldest == nullptr || board.queue.front().order < oldest->queue.front().order) {
            oldest = &board;
        }
    }
    return oldest;
}

void PollSession::on_receive() {
    if (port_.comm_event() != link::comm_event_receive) return;
    const auto frame = link::read_frame(port_);
    if (!frame || !link::is_valid_status_frame(*frame) || !target_) return;  // dropped in silence

    Board& board = boards_[*target_];
    board.relays = link::relays_of(*frame);
    board.known = true;
    board.reported_silent = false;
    board.countdown.reload();
    if (events_.status) events_.status(board.address, board.relays, *frame);
}

void PollSession::on_lost(const std::string& device, const std::string& reason) {
    for (Board& board : boards_) board.known = false;
    target_.reset();
    if (events_.lost) events_.lost(device, reason);
}

void PollSession::queue_channel(std::uint8_t address, int channel, bool energize) {
    if (Board* board = board_of(address))
        board->queue.put_channel(channel, energize, next_order_++);
}

void PollSession::queue_all(std::uint8_t address, bool energize) {
    if (Board* board = board_of(address)) board->queue.put_all(energize, next_order_++);
}

std::optional<link::RelayMap> PollSession::known_relays(std::uint8_t address) const {
    const Board* board = board_of(address);
    if (board == nullptr || !board->known || !port_.is_open()) return std::nullopt;
    return board->relays;
}

std::size_t PollSession::commands_waiting() const {
    std::size_t total = 0;
    for (const Board& board : boards_) total += board.queue.size();
    return total;
}

PollSession::Board* PollSession::board_of(std::uint8_t address) {
    const auto it = std::find_if(boards_.begin(), boards_.end(), [address](const Board& board) {
        return board.address == address;
    });
    return it == boards_.end() ? nullptr : &*it;
}

const PollSession::Board* PollSession::board_of(std::uint8_t address) const {
    return const_cast<PollSession*>(this)->board_of(address);
}

}  // namespace quellbox::session
