#include "topics.h"

#include <charconv>
#include <optional>

namespace quellbox::mqtt {

namespace {

bool is_level_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// "1".."16" exactly: no sign, no leading zero, nothing after the digits.
std::optional<int> channel_number(std::string_view text) {
    if (text.empty() || text.size() > 2 || text.front() == '0') return std::nullopt;
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc{} || end != text.data() + text.size() || n < 1 || n > 16)
        return std::nullopt;
    return n;
}

}  // namespace

bool is_valid_level(std::string_view level) {
    if (level.empty() || level.size() > max_level_length) return false;
    for (const char c : level) {
        if (!is_level_char(c)) return false;
    }
    return true;
}

bool is_valid_prefix(std::string_view prefix) {
    if (prefix.empty() || prefix.size() > max_prefix_length) return false;
    std::size_t from = 0;
    while (true) {
        const std::size_t slash = prefix.find('/', from);
        if (!is_valid_level(prefix.substr(from, slash - from))) return false;
        if (slash == std::string_view::npos) return true;
        from = slash + 1;
    }
}

BoardTopics::BoardTopics(const std::string& prefix, std::string board_id)
    : base_(prefix + '/' + board_id + '/'), board_id_(std::move(board_id)) {}

std::string BoardTopics::availability() const {
    return base_ + "availability";
}

std::string BoardTopics::state(int channel) const {
    return base_ + "channel/" + std::to_string(channel) + "/state";
}

std::string BoardTopics::channel_command(int channel) const {
    return base_ + "channel/" + std::to_string(channel) + "/set";
}

std::string BoardTopics::all_command() const {
    return base_ + "all/set";
}

std::string BoardTopics::channel_command_filter() const {
    return base_ + "channel/+/set";
}

std::variant<Command, BoardTopics::Rejection> BoardTopics::parse(std::string_view topic,
                                                                 std::string_view payload) const {
    if (!topic.starts_with(base_)) return Rejection::unknown_topic;
    const std::string_view rest = topic.substr(base_.size());

    std::optional<int> channel;
    if (rest == "all/set") {
        channel = 0;
    } else if (rest.starts_with("channel/") && rest.ends_with("/set")) {
        channel = channel_number(rest.substr(8, rest.size() - 8 - 4));
    }
    if (!channel) return Rejection::unknown_topic;

    if (payload == "ON") return Command{*channel, CommandKind::on};
    if (payload == "OFF") return Command{*channel, CommandKind::off};
    // Toggling all sixteen is left out on purpose: it would flip a mix of states blindly.
    if (payload == "TOGGLE" && *channel != 0) return Command{*channel, CommandKind::toggle};
    return Rejection::bad_payload;
}

}  // namespace quellbox::mqtt
