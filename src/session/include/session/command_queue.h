#pragma once
// The commands waiting for one board, oldest first. Nothing is lost or reordered per channel:
// a newer command for a channel replaces its unsent predecessor in place (so it keeps its place
// relative to a set-all), and a set-all replaces everything unsent, since it decides every
// channel anyway. The queue therefore holds at most one set-all, first, then at most one command
// per channel: its room is reserved once and never grows.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quellbox::session {

struct QueuedCommand {
    std::uint8_t code = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    int channel = 0;          // 1 to 16, or 0 for a set-all
    std::uint64_t order = 0;  // when it was first queued, across all boards of a session
};

class CommandQueue {
  public:
    CommandQueue();

    // Channel 1 to 16; any other channel is ignored.
    void put_channel(int channel, bool energize, std::uint64_t order);
    void put_all(bool energize, std::uint64_t order);

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    const QueuedCommand& front() const { return items_.front(); }
    void pop_front();

  private:
    std::vector<QueuedCommand> items_;
};

}  // namespace quellbox::session
