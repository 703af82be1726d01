#include "session/command_queue.h"

#include <algorithm>

#include "link/frames.h"

namespace quellbox::session {

CommandQueue::CommandQueue() {
    items_.reserve(link::channel_count + 1);
}

void CommandQueue::put_channel(int channel, bool energize, std::uint64_t order) {
    if (channel < 1 || channel > link::channel_count) return;
    const QueuedCommand command{energize ? link::cmd_energize_one : link::cmd_release_one, 0x00,
                                static_cast<std::uint8_t>(channel), channel, order};
    const auto same = std::find_if(items_.begin(), items_.end(),
                                   [channel](const auto& item) { return item.channel == channel; });
    if (same == items_.end()) {
        items_.push_back(command);
    } else {
        same->code = command.code;  // in place: the older one's order stands
    }
}

void CommandQueue::put_all(bool energize, std::uint64_t order) {
    const std::uint8_t data = energize ? link::set_all_energize : link::set_all_release;
    items_.clear();
    items_.push_back(QueuedCommand{link::cmd_set_all, data, data, 0, order});
}

void CommandQueue::pop_front() {
    if (!items_.empty()) items_.erase(items_.begin());
}

}  // namespace quellbox::session
