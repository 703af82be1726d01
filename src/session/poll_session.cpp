#include "session/poll_session.h"

#include <algorithm>

#include "link/poll_rules.h"
#include "link/status_receiver.h"
#include "session/line_timing.h"

namespace quellbox::session {

namespace {

constexpr std::chrono::milliseconds poll_period{link::poll_interval_ms};

}  // namespace

PollSession::PollSession(link::SerialPort& port, std::vector<std::uint8_t> addresses,
                         SessionEvents events, const SessionClock& clock)
    : port_(port), transmitter_(port), events_(std::move(events)), clock_(clock) {
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
    flight_.reset();
    poll_owed_ = false;
    const SessionTime now = clock_.now();
    next_slot_ = now;
    idle_at_ = now;
    if (running_) ask_for_wake(now);
}

void PollSession::start() {
    running_ = true;
    const SessionTime now = clock_.now();
    next_slot_ = now;
    ask_for_wake(now);
}

void PollSession::stop() {
    running_ = false;
}

void PollSession::send_once() {
    if (!port_.is_open() || boards_.empty()) return;
    running_ = false;
    poll_owed_ = true;
    send_next(clock_.now());
}

void PollSession::run() {
    if (!port_.is_open() || boards_.empty()) return;
    const SessionTime now = clock_.now();
    settle(now);
    // Stopped, perhaps by the status event (a one-shot status read has what it wanted).
    if (!running_ || !port_.is_open()) return;
    if (now >= next_slot_) {
        poll_owed_ = true;
        // Slots stay on the grid: a late wake-up does not shift the ones after it.
        const auto behind = (now - next_slot_) / poll_period;
        next_slot_ += (behind + 1) * poll_period;
    }
    if (now >= idle_at_) send_next(now);
    ask_for_wake(now);
}

void PollSession::settle(SessionTime now) {
    if (!flight_ || flight_->settled || flight_->answers == 0 || now < idle_at_) return;
    flight_->settled = true;
    if (flight_->answers == 1) {
        accept(boards_[flight_->board], flight_->answer);
    } else {
        drop(flight_->board, DropReason::several, flight_->last_byte1,
             static_cast<std::uint64_t>(flight_->answers), now);
    }
}

void PollSession::send_next(SessionTime now) {
    Board* board = board_with_oldest_command();
    QueuedCommand frame{link::cmd_status_query, 0x00, 0x00, 0, 0};
    if (board != nullptr) {
        // Taken off before the hand-over: a command goes out at most once, even if the write
        // fails (the owner hears of a dead line through the loss event).
        frame = board->queue.front();
        board->queue.pop_front();
    } else if (poll_owed_) {
        poll_owed_ = false;
        board = &boards_[next_poll_];
        next_poll_ = (next_poll_ + 1) % boards_.size();
    } else {
        return;
    }
    count_down(*board);

    // Stamped before the write: the board cannot have heard anything of it earlier.
    flight_ = Flight{static_cast<std::size_t>(board - boards_.data()), now};
    idle_at_ = now + reply_wait;
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

// Which board an answer belongs to. A status frame need not carry its board's address (bytes 1
// to 4 are the board's own; many leave them zero), so the answer is the polled board's only if
// it came in that poll's window and nothing speaks against it:
//   - byte 1 names another board of this session: that board answered late (or its answer
//     collided); given to nobody, since a board may also put something else there;
//   - it was complete before an answer begun after the poll was on the wire could be: it began
//     while the frame was still going out, so it answers the frame before;
//   - another answer came in the same window: which one is the polled board's cannot be told,
//     so neither is used and the poll counts as unanswered.
// An answer is only used once the line has been quiet for a moment after it (run() settles it).
void PollSession::on_receive() {
    if (port_.comm_event() != link::comm_event_receive) return;
    const auto frame = link::read_frame(port_);
    if (!frame || !link::is_valid_status_frame(*frame)) return;  // dropped in silence
    const SessionTime now = clock_.now();
    if (!flight_) return;  // nothing written since the port opened: the buffer's old content

    const std::uint8_t byte1 = (*frame)[link::pos_address];
    if (flight_->settled) {
        drop(flight_->board, DropReason::unasked, byte1, 1, now);
    } else if (names_other_board(byte1, flight_->board)) {
        drop(flight_->board, DropReason::names_other_board, byte1, 1, now);
    } else if (now - flight_->written < earliest_answer) {
        drop(flight_->board, DropReason::too_early, byte1, 1, now);
    } else {
        if (++flight_->answers == 1) flight_->answer = *frame;
        flight_->last_byte1 = byte1;
        idle_at_ = now + answer_settle;
    }
    ask_for_wake(now);
}

bool PollSession::names_other_board(std::uint8_t byte1, std::size_t polled) const {
    for (std::size_t i = 0; i < boards_.size(); ++i) {
        if (i != polled && boards_[i].address == byte1) return true;
    }
    return false;
}

void PollSession::accept(Board& board, const link::Frame& frame) {
    board.relays = link::relays_of(frame);
    board.known = true;
    board.reported_silent = false;
    board.countdown.reload();
    if (events_.status) events_.status(board.address, board.relays, frame);
}

void PollSession::drop(std::size_t index, DropReason reason, std::uint8_t byte1,
                       std::uint64_t count, SessionTime now) {
    Board& board = boards_[index];
    board.drops_untold += count;
    if (board.next_drop_report && now < *board.next_drop_report) return;
    board.next_drop_report = now + drop_report_interval;
    const DroppedAnswers told{board.address, reason, byte1, board.drops_untold};
    board.drops_untold = 0;
    if (events_.dropped) events_.dropped(told);
}

bool PollSession::wants_line() const {
    return poll_owed_ || commands_waiting() > 0;
}

void PollSession::ask_for_wake(SessionTime now) {
    if (!port_.is_open() || !events_.wake) return;
    const bool answer_waits = flight_ && !flight_->settled && flight_->answers > 0;
    if (!running_) {
        // Stopped: nothing more goes out, but an answer already here is still judged.
        if (answer_waits) events_.wake(std::max(idle_at_, now));
        return;
    }
    SessionTime at = next_slot_;
    if (answer_waits || wants_line()) at = std::min(at, idle_at_);
    events_.wake(std::max(at, now));
}

void PollSession::on_lost(const std::string& device, const std::string& reason) {
    for (Board& board : boards_) board.known = false;
    flight_.reset();
    if (events_.lost) events_.lost(device, reason);
}

void PollSession::queue_channel(std::uint8_t address, int channel, bool energize) {
    if (Board* board = board_of(address)) {
        board->queue.put_channel(channel, energize, next_order_++);
        ask_for_wake(clock_.now());
    }
}

void PollSession::queue_all(std::uint8_t address, bool energize) {
    if (Board* board = board_of(address)) {
        board->queue.put_all(energize, next_order_++);
        ask_for_wake(clock_.now());
    }
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
