#include "oracle.h"

#include <algorithm>
#include <cstdio>

#include "tools/hex.h"

namespace quellbox::soak {

namespace {

using tools::hex;

constexpr std::size_t max_examples = 20;

std::uint8_t sum_of_first_seven(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 7; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum % 256);
}

std::string describe(const Look& look) {
    char colour[16];
    std::snprintf(colour, sizeof colour, "0x%08x", look.colour);
    return std::string(colour) + " \"" + look.caption + "\"";
}

// What plain text in the address field asks of the transmitter.
enum class AddressDemand { exact, nothing_written, not_judged };
struct AddressReading {
    AddressDemand demand;
    int value;
};

AddressReading read_address_text(std::string_view text) {
    const bool has_digit =
        std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!has_digit) return {AddressDemand::nothing_written, 0};

    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {AddressDemand::not_judged, 0};
    }
    int value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    if (negative && value != 0) return {AddressDemand::nothing_written, 0};
    if (value > 255) return {AddressDemand::nothing_written, 0};
    return {AddressDemand::exact, value};
}

}  // namespace

bool is_acceptable_status(std::span<const std::uint8_t> bytes) {
    return bytes.size() == 8 && bytes[0] == 0x22 && bytes[7] == sum_of_first_seven(bytes);
}

bool is_well_formed_command(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != 8 || bytes[0] != 0x55 || bytes[3] != 0 || bytes[4] != 0) return false;
    if (bytes[7] != sum_of_first_seven(bytes)) return false;
    const std::uint8_t data1 = bytes[5];
    const std::uint8_t data2 = bytes[6];
    switch (bytes[2]) {
        case 0x10:
            return data1 == 0 && data2 == 0;
        case 0x11:
        case 0x12:
            return data1 == 0 && data2 >= 1 && data2 <= 16;
        case 0x13:
            return data1 == data2 && (data1 == 0x00 || data1 == 0xFF);
        default:
            return false;
    }
}

const char* name_of(std::optional<LookKind> kind) {
    if (!kind) return "unknown";
    switch (*kind) {
        case LookKind::energized:
            return "energized";
        case LookKind::released:
            return "released";
        case LookKind::not_known:
            return "not-known";
        case LookKind::port_closed:
            return "port-closed";
    }
    return "unknown";
}

std::optional<LookKind> classify(const Look& look) {
    const std::optional<LookKind> kind = controller::kind_of(look.colour);
    if (!kind || look.caption != controller::look_of(*kind).caption) return std::nullopt;
    return kind;
}

// ---- SentBytes ----

std::uint64_t SentBytes::key(const Frame8& frame) {
    std::uint64_t k = 0;
    for (const std::uint8_t b : frame) k = (k << 8) | b;
    return k;
}

void SentBytes::add_reply(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 8) {
        Frame8 start{};
        std::copy_n(bytes.begin(), 8, start.begin());
        reply_starts_.insert(key(start));
    }
    std::vector<std::uint8_t> stream(tail_.begin(), tail_.end());
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    for (std::size_t i = 0; i + 8 <= stream.size(); ++i) {
        Frame8 window{};
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(i), 8, window.begin());
        windows_.insert(key(window));
    }
    const std::size_t keep = std::min<std::size_t>(7, stream.size());
    tail_.assign(stream.end() - static_cast<std::ptrdiff_t>(keep), stream.end());
}

void SentBytes::break_stream() {
    tail_.clear();
}

SentBytes::Match SentBytes::find(const Frame8& frame) const {
    const std::uint64_t k = key(frame);
    if (reply_starts_.contains(k)) return Match::reply;
    if (windows_.contains(k)) return Match::spliced;
    return Match::none;
}

// ---- Oracle ----

void Oracle::receive_begins() {
    in_event_ = true;
    event_accepted_ = false;
    event_bytes_.clear();
    before_event_ = snapshot();
    ++counts_.receive_events;
}

void Oracle::byte_read(std::uint8_t byte) {
    if (!in_event_) {
        // Only the receive handler may read; a read elsewhere would steal a reply's bytes.
        violation("bad_read", "a byte read outside a receive event");
        return;
    }
    event_bytes_.push_back(byte);
    if (event_bytes_.size() != 8) return;

    // Judged on the eighth byte: the tool paints inside the same event, right after reading.
    if (is_acceptable_status(event_bytes_)) {
        Frame8 frame{};
        std::copy_n(event_bytes_.begin(), 8, frame.begin());
        last_accepted_ = frame;
        event_accepted_ = true;
        ticks_since_accepted_ = 0;
        ++counts_.frames_accepted;
        pending_.push_back(frame);
        resolve_pending();
    } else {
        ++counts_.frames_rejected;
    }
}

void Oracle::receive_ends() {
    const std::array<Look, 17> after = snapshot();
    bool repainted = false;
    for (int n = 1; n <= 16; ++n) {
        const Look& look = after[static_cast<std::size_t>(n)];
        const Look& before = before_event_[static_cast<std::size_t>(n)];
        if (look.colour == before.colour && look.caption == before.caption) continue;
        repainted = true;
        if (!event_accepted_) {
            violation("rejected_painted", "channel " + std::to_string(n) + " went from " +
                                              describe(before) + " to " + describe(look) +
                                              " while reading " + hex(event_bytes_));
        }
    }
    // A report that differs from the one shown gives all sixteen looks: judge them all.
    if (repainted) {
        for (int n = 1; n <= 16; ++n) judge(n, after[static_cast<std::size_t>(n)], "as written");
    }
    in_event_ = false;
    if (event_bytes_.size() != 8) {
        ++counts_.reads_not_eight;
        violation("bad_read", "a receive event read " + std::to_string(event_bytes_.size()) +
                                  " bytes: " + hex(event_bytes_));
        if (event_bytes_.size() < 8) ++counts_.frames_rejected;
    }
}

void Oracle::frame_written(std::span<const std::uint8_t> bytes, std::string_view address_text) {
    ++counts_.frames_written;
    const std::string what = "frame " + hex(bytes) + " with address text \"" +
                             std::string(address_text.substr(0, 40)) + "\"";
    if (!is_well_formed_command(bytes)) {
        ++counts_.bad_frames_written;
        violation("bad_frame_written", "malformed " + what);
        return;
    }
    const AddressReading address = read_address_text(address_text);
    if (address.demand == AddressDemand::nothing_written ||
        (address.demand == AddressDemand::exact && bytes[1] != address.value)) {
        ++counts_.bad_frames_written;
        violation("bad_frame_written", what);
    }
}

void Oracle::tick_done() {
    ++counts_.ticks;
    if (ticks_since_accepted_ < (1 << 20)) ++ticks_since_accepted_;
    const bool stale = ticks_since_accepted_ >= 6;
    for (int n = 1; n <= 16; ++n) {
        const Look look = window_.look(n);
        judge(n, look, "after a tick");
        if (stale && classify(look) != LookKind::not_known) {
            violation("stale_not_yellow", "channel " + std::to_string(n) + " shows " +
                                              describe(look) + " " +
                                              std::to_string(ticks_since_accepted_) +
                                              " ticks after the last accepted frame");
        }
    }
}

void Oracle::expect_all(LookKind kind, std::string_view when) {
    for (int n = 1; n <= 16; ++n) {
        const Look look = window_.look(n);
        judge(n, look, when);
        if (classify(look) != kind) {
            violation("state_change", "channel " + std::to_string(n) + " shows " + describe(look) +
                                          " " + std::string(when) + ", expected " + name_of(kind));
        }
    }
}

std::array<Look, 17> Oracle::snapshot() const {
    std::array<Look, 17> looks{};
    for (int n = 1; n <= 16; ++n) looks[static_cast<std::size_t>(n)] = window_.look(n);
    return looks;
}

void Oracle::expect_unchanged(const std::array<Look, 17>& before, std::string_view when) {
    for (int n = 1; n <= 16; ++n) {
        const Look now = window_.look(n);
        const Look& then = before[static_cast<std::size_t>(n)];
        if (now.colour != then.colour || now.caption != then.caption) {
            violation("state_change", "channel " + std::to_string(n) + " went from " +
                                          describe(then) + " to " + describe(now) + " " +
                                          std::string(when));
        }
    }
}

void Oracle::judge(int channel, const Look& look, std::string_view when) {
    ++counts_.looks_judged;
    const std::optional<LookKind> kind = classify(look);
    if (!kind) {
        violation("unknown_look", "channel " + std::to_string(channel) + " shows " +
                                      describe(look) + " " + std::string(when));
        return;
    }
    if (kind != LookKind::energized && kind != LookKind::released) return;
    if (!last_accepted_) {
        violation("bit_mismatch", "channel " + std::to_string(channel) + " shows " + name_of(kind) +
                                      " " + std::string(when) + " before any frame was accepted");
        return;
    }
    const bool energized = link::is_energized(link::relays_of(*last_accepted_), channel);
    if (energized != (kind == LookKind::energized)) {
        violation("bit_mismatch", "channel " + std::to_string(channel) + " shows " + name_of(kind) +
                                      " " + std::string(when) + " but the last accepted frame " +
                                      hex(*last_accepted_) + " says " +
                                      (energized ? "energized" : "released"));
    }
}

void Oracle::phase_begins(std::string_view name) {
    phase_ = name;
    sent_ = SentBytes{};
    pending_.clear();
}

void Oracle::sim_sent(std::span<const std::uint8_t> bytes) {
    sent_.add_reply(bytes);
    resolve_pending();
}

void Oracle::sim_hung_up() {
    sent_.break_stream();
}

void Oracle::resolve_pending() {
    std::erase_if(pending_, [this](const Frame8& frame) {
        switch (sent_.find(frame)) {
            case SentBytes::Match::reply:
                ++counts_.accepted_replies;
                return true;
            case SentBytes::Match::spliced:
                ++counts_.accepted_spliced;
                return true;
            case SentBytes::Match::none:
                break;
        }
        return false;
    });
}

void Oracle::phase_ends() {
    resolve_pending();
    for (const Frame8& frame : pending_) {
        violation("frame_not_sent",
                  "accepted " + hex(frame) + ", which the simulator never sent in phase " + phase_);
    }
    pending_.clear();
}

long Oracle::wrong_looks() const {
    long total = 0;
    for (const auto& [kind, count] : violations_) {
        if (kind != "bad_read" && kind != "bad_frame_written") total += count;
    }
    return total;
}

long Oracle::line_faults() const {
    long total = 0;
    for (const auto& [kind, count] : violations_) {
        if (kind == "bad_read" || kind == "bad_frame_written") total += count;
    }
    return total;
}

void Oracle::violation(std::string_view kind, std::string detail) {
    ++violations_[std::string(kind)];
    if (examples_.size() < max_examples) {
        examples_.push_back(phase_ + ": " + std::string(kind) + ": " + std::move(detail));
    }
}

}  // namespace quellbox::soak
