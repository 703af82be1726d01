#include "sim_lines.h"

#include "tools/hex.h"

namespace quellbox::soak {

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
    const std::string_view tail = space == std::string_view::npos ? "" : line.substr(space + 1);

    SimLine parsed;
    for (const auto& [word, kind] : words) {
        if (head == word) parsed.kind = kind;
    }
    // "... board <hh>": the board a state or a reply belongs to, on a line of several.
    std::string_view rest = tail;
    if (const std::size_t at = rest.rfind(" board "); at != std::string_view::npos) {
        const auto address = tools::parse_hex(rest.substr(at + 7));
        if (address.size() == 1) parsed.board = address[0];
        rest = rest.substr(0, at);
    }
    switch (parsed.kind) {
        case SimLine::Kind::rx:
        case SimLine::Kind::tx:
        case SimLine::Kind::skip:
        case SimLine::Kind::badsum:
            parsed.bytes = tools::parse_hex(rest);
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
