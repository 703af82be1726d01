#include "sim_lines.h"

#include <charconv>

namespace quellbox::soak {

namespace {

// "55 01 10 ..." into bytes; stops at the first token that is not a hex pair.
std::vector<std::uint8_t> parse_hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    while (!text.empty()) {
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        if (text.size() < 2) break;
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + 2, value, 16);
        if (ec != std::errc{} || end != text.data() + 2) break;
        out.push_back(static_cast<std::uint8_t>(value));
        text.remove_prefix(2);
    }
    return out;
}

}  // namespace

SimLine parse_sim_line(std::string_view line) {
    static const std::pair<std::string_view, SimLine::Kind> words[] = {
        {"ready", SimLine::Kind::ready},   {"rx", SimLine::Kind::rx},
        {"tx", SimLine::Kind::tx},         {"skip", SimLine::Kind::skip},
        {"badsum", SimLine::Kind::badsum}, {"ignore", SimLine::Kind::ignore},
        {"state", SimLine::Kind::state},   {"fault", SimLine::Kind::fault},
        {"muted", SimLine::Kind::muted},   {"hangup", SimLine::Kind::hangup},
        {"reopen", SimLine::Kind::reopen}, {"exit", SimLine::Kind::exit},
    };
    const std::size_t space = line.find(' ');
    const std::string_view head = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);

    SimLine parsed;
    for (const auto& [word, kind] : words) {
        if (head == word) parsed.kind = kind;
    }
    switch (parsed.kind) {
        case SimLine::Kind::rx:
        case SimLine::Kind::tx:
        case SimLine::Kind::skip:
        case SimLine::Kind::badsum:
            parsed.bytes = parse_hex(rest);
            break;
        case SimLine::Kind::fault:
            parsed.word = std::string(rest.substr(0, rest.find(' ')));
            break;
        case SimLine::Kind::ready:
            // "ready com<N> <slave>"
            parsed.word = std::string(rest.substr(rest.find(' ') + 1));
            break;
        case SimLine::Kind::reopen:
            parsed.word = std::string(rest);
            break;
        default:
            break;
    }
    return parsed;
}

void SimTally::add(const SimLine& line) {
    switch (line.kind) {
        case SimLine::Kind::rx:
            ++received;
            break;
        case SimLine::Kind::tx:
            ++answered;
            break;
        case SimLine::Kind::ignore:
            ++ignored;
            break;
        case SimLine::Kind::muted:
            ++muted;
            break;
        case SimLine::Kind::skip:
        case SimLine::Kind::badsum:
            ++skipped;
            break;
        case SimLine::Kind::fault:
            ++faults[line.word];
            break;
        case SimLine::Kind::hangup:
            ++hangups;
            break;
        case SimLine::Kind::reopen:
            ++reopens;
            break;
        default:
            break;
    }
}

SimTally& SimTally::operator+=(const SimTally& other) {
    received += other.received;
    answered += other.answered;
    ignored += other.ignored;
    muted += other.muted;
    skipped += other.skipped;
    hangups += other.hangups;
    reopens += other.reopens;
    for (const auto& [name, count] : other.faults) faults[name] += count;
    return *this;
}

}  // namespace quellbox::soak
