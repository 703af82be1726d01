#include "judge.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace quellbox::soak_bridge {

namespace {

bool bit(link::RelayMap relays, int channel) {
    return link::is_energized(relays, channel);
}

// Keeps, of a time-ordered list, everything from the last entry before `cutoff` on: that one
// still says what held at the cutoff.
template <typename List, typename TimeOf>
void trim(List& list, Micros cutoff, TimeOf time_of) {
    std::size_t drop = 0;
    while (drop + 1 < list.size() && time_of(list[drop + 1]) < cutoff) ++drop;
    list.erase(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(drop));
}

}  // namespace

Judge::Judge(const std::vector<std::uint8_t>& addresses, Micros origin, JudgeTimes times)
    : origin_(origin), times_(times) {
    for (const std::uint8_t address : addresses) boards_[address];
}

void Judge::board_wrote(std::uint8_t address, Micros at, std::span<const std::uint8_t> wire) {
    const std::size_t own = wire_.size();  // where this reply starts in the tail
    wire_.insert(wire_.end(), wire.begin(), wire.end());
    for (std::size_t start = 0; start + link::frame_size <= wire_.size(); ++start) {
        link::Frame frame{};
        std::copy_n(wire_.begin() + static_cast<std::ptrdiff_t>(start), link::frame_size,
                    frame.begin());
        if (!link::is_valid_status_frame(frame)) continue;
        const Report report{at, link::relays_of(frame)};
        if (start == own) {
            ++counts_.reports;
            if (auto it = boards_.find(address); it != boards_.end())
                it->second.reports.push_back(report);
        } else {
            ++counts_.line_made_frames;
            line_made_.push_back(report);
        }
    }
    // A frame can only begin in the last seven bytes.
    if (wire_.size() >= link::frame_size)
        wire_.erase(wire_.begin(), wire_.end() - (link::frame_size - 1));
}

void Judge::line_restarted() {
    wire_.clear();
}

void Judge::state(std::uint8_t address, int channel, bool on, Micros at) {
    publications_.push_back({address, channel, on, at});
    if (auto it = boards_.find(address); it != boards_.end())
        it->second.states[channel].emplace_back(at, on);
}

void Judge::availability(std::uint8_t address, bool online, Micros at) {
    publications_.push_back({address, 0, online, at});
    if (auto it = boards_.find(address); it != boards_.end())
        it->second.availability.emplace_back(at, online);
}

void Judge::command(std::uint8_t address, int channel, bool on, Micros at) {
    commands_.push_back({address, channel, on, at});
}

void Judge::broker_down(Micros from, Micros to) {
    broker_down_.emplace_back(from, to);
}

void Judge::judge_until(Micros until) {
    while (!publications_.empty() && publications_.front().at + times_.early <= until) {
        const Publication p = publications_.front();
        publications_.pop_front();
        if (p.channel == 0) {
            judge_online(p);
        } else {
            judge_state(p);
        }
    }
    while (!commands_.empty() && commands_.front().at + times_.confirm_window <= until) {
        const Command c = commands_.front();
        commands_.pop_front();
        judge_command(c, commands_);
    }
    // What is older than any verdict still to come is no longer needed.
    forget_before(until - times_.slack - times_.confirm_window - times_.online_within);
}

void Judge::judge_state(const Publication& p) {
    ++counts_.states;
    const auto it = boards_.find(p.address);
    if (it != boards_.end() && shown_by(it->second.reports, p.channel, p.on, p.at)) {
        ++counts_.states_right;
        return;
    }
    if (shown_by(line_made_, p.channel, p.on, p.at)) {
        ++counts_.states_by_line_faults;
        return;
    }
    const bool other = std::any_of(boards_.begin(), boards_.end(), [&](const auto& entry) {
        return entry.first != p.address && shown_by(entry.second.reports, p.channel, p.on, p.at);
    });
    char text[160];
    std::snprintf(text, sizeof text, "%.3f s: board %u channel %d published %s",
                  static_cast<double>(p.at - origin_) / 1e6, p.address, p.channel,
                  p.on ? "ON" : "OFF");
    wrong_one(other ? "state of another board" : "state no frame of the board showed", text);
}

void Judge::judge_online(const Publication& p) {
    if (!p.on) {
        ++counts_.offlines;
        return;
    }
    ++counts_.onlines;
    const auto it = boards_.find(p.address);
    const bool recent =
        it != boards_.end() &&
        std::any_of(it->second.reports.begin(), it->second.reports.end(), [&](const Report& r) {
            return r.at <= p.at + times_.early && r.at >= p.at - times_.online_within;
        });
    if (recent) return;
    char text[120];
    std::snprintf(text, sizeof text, "%.3f s: board %u published online",
                  static_cast<double>(p.at - origin_) / 1e6, p.address);
    wrong_one("online without a frame from the board", text);
}

void Judge::judge_command(const Command& c, const std::deque<Command>& later) {
    ++counts_.commands;
    const Micros deadline = c.at + times_.confirm_window;
    const Board& board = boards_[c.address];
    bool shown = true;
    bool before_all = true;
    for (int channel = 1; channel <= link::channel_count; ++channel) {
        if (c.channel != 0 && channel != c.channel) continue;
        bool before = false;
        shown = shown && state_shows(board, channel, c.on, c.at, deadline, before);
        before_all = before_all && before;
    }
    if (shown) {
        ++counts_.confirmed;
        if (before_all) ++counts_.already_shown;
        return;
    }
    if (!online_at(board, c.at) || went_offline(board, c.at, deadline)) {
        ++counts_.board_offline;
        return;
    }
    const bool replaced = std::any_of(later.begin(), later.end(), [&](const Command& d) {
        return d.address == c.address && d.at <= deadline && d.on != c.on &&
               (d.channel == 0 || c.channel == 0 || d.channel == c.channel);
    });
    if (replaced) {
        ++counts_.superseded;
        return;
    }
    // A message the broker had not passed on yet when it went down is gone.
    const Micros before_restart = 1'000'000;
    const bool restart = std::any_of(broker_down_.begin(), broker_down_.end(), [&](const auto& d) {
        return d.first <= deadline && d.second >= c.at - before_restart;
    });
    if (restart) {
        ++counts_.broker_restart;
        return;
    }
    char text[160];
    std::snprintf(text, sizeof text, "%.3f s: %s to board %u channel %d not confirmed",
                  static_cast<double>(c.at - origin_) / 1e6, c.on ? "ON" : "OFF", c.address,
                  c.channel);
    wrong_one("command not confirmed", text);
}

bool Judge::shown_by(const std::deque<Report>& reports, int channel, bool on, Micros at) const {
    for (auto r = reports.rbegin(); r != reports.rend(); ++r) {
        if (r->at > at + times_.early) continue;
        if (bit(r->relays, channel) == on) return true;
        // The latest report before the slack still counts; older ones do not.
        if (r->at < at - times_.slack) return false;
    }
    return false;
}

bool Judge::online_at(const Board& board, Micros at) const {
    bool online = false;
    for (const auto& [t, value] : board.availability) {
        if (t > at) break;
        online = value;
    }
    return online;
}

bool Judge::went_offline(const Board& board, Micros from, Micros to) const {
    return std::any_of(board.availability.begin(), board.availability.end(),
                       [&](const auto& a) { return a.first > from && a.first <= to && !a.second; });
}

bool Judge::state_shows(const Board& board, int channel, bool on, Micros from, Micros to,
                        bool& before) const {
    before = false;
    const auto it = board.states.find(channel);
    if (it == board.states.end()) return false;
    bool after = false;
    for (const auto& [t, value] : it->second) {
        if (t <= from) {
            before = value == on;
        } else if (t <= to && value == on) {
            after = true;
        }
    }
    return before || after;
}

void Judge::wrong_one(const std::string& kind, const std::string& example) {
    // The first few of each kind: one kind must not hide the others.
    if (++violations_[kind] <= 4) examples_.push_back(kind + ": " + example);
}

void Judge::forget_before(Micros cutoff) {
    const auto time_of_report = [](const Report& r) { return r.at; };
    const auto time_of_pair = [](const auto& p) { return p.first; };
    for (auto& [address, board] : boards_) {
        trim(board.reports, cutoff, time_of_report);
        trim(board.availability, cutoff, time_of_pair);
        for (auto& [channel, history] : board.states) trim(history, cutoff, time_of_pair);
    }
    trim(line_made_, cutoff, time_of_report);
    std::erase_if(broker_down_, [&](const auto& d) { return d.second < cutoff; });
}

long Judge::wrong() const {
    return std::accumulate(violations_.begin(), violations_.end(), 0L,
                           [](long sum, const auto& entry) { return sum + entry.second; });
}

}  // namespace quellbox::soak_bridge
