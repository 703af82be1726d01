#pragma once
// Where everything lives on the broker. Under the prefix (default "quellbox"), per board id:
//
//   <prefix>/<board>/availability       retained "online" / "offline" (also the last will)
//   <prefix>/<board>/channel/<n>/state  retained "ON" / "OFF", n = 1..16, as the board reported
//   <prefix>/<board>/channel/<n>/set    commands "ON", "OFF", "TOGGLE"
//   <prefix>/<board>/all/set            commands "ON", "OFF" for all sixteen channels
//
// The prefix is one or more levels separated by "/", a board id exactly one level; a level is
// 1 to 32 letters, digits, "_" or "-". So no wildcard, no empty level and no extra level can
// come in through the configuration.

#include <string>
#include <string_view>
#include <variant>

namespace quellbox::mqtt {

inline constexpr std::size_t max_level_length = 32;
inline constexpr std::size_t max_prefix_length = 128;

// The rules above: one level (a board id) and the prefix.
bool is_valid_level(std::string_view level);
bool is_valid_prefix(std::string_view prefix);

enum class CommandKind { on, off, toggle };

// A command the bridge understood: channel 1..16, or 0 for all channels.
struct Command {
    int channel = 0;
    CommandKind kind = CommandKind::on;
};

class BoardTopics {
  public:
    BoardTopics(const std::string& prefix, std::string board_id);

    const std::string& board_id() const { return board_id_; }
    std::string availability() const;
    std::string state(int channel) const;
    std::string channel_command(int channel) const;
    std::string all_command() const;
    // The two subscriptions that cover every command topic of this board.
    std::string channel_command_filter() const;

    // The command a message asks for, or why it is none: the topic is not one of this board's
    // command topics, or the payload is not a command that topic takes.
    enum class Rejection { unknown_topic, bad_payload };
    std::variant<Command, Rejection> parse(std::string_view topic, std::string_view payload) const;

  private:
    std::string base_;  // "<prefix>/<board>/"
    std::string board_id_;
};

}  // namespace quellbox::mqtt
