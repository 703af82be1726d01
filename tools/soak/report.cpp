#include "report.h"

#include <cstdio>
#include <string_view>

namespace quellbox::soak {

namespace {

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <typename Map>
std::string json_counts(const Map& counts) {
    std::string out = "{";
    for (const auto& [name, n] : counts) {
        if (out.size() > 1) out += ",";
        out += json_string(name) + ":" + std::to_string(n);
    }
    return out + "}";
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::string to_json(const SoakReport& r) {
    const auto& c = r.counts;
    std::map<std::string, long> wrong;
    for (const std::string_view kind : Oracle::violation_kinds) {
        const auto found = r.violations.find(std::string(kind));
        wrong[std::string(kind)] = found == r.violations.end() ? 0 : found->second;
    }
    std::string examples = "[";
    for (const std::string& e : r.examples) {
        if (examples.size() > 1) examples += ",";
        examples += json_string(e);
    }
    examples += "]";

    std::string j = "{";
    j += "\"duration_s\":" + fixed(r.duration_s, 1);
    j += ",\"phases\":" + std::to_string(r.phases);
    j += ",\"ticks\":" + std::to_string(c.ticks);
    j += ",\"frames_sent\":" + std::to_string(c.frames_written);
    j += ",\"sim_received\":" + std::to_string(r.sim.received);
    j += ",\"sim_answered\":" + std::to_string(r.sim.answered);
    j += ",\"sim_ignored\":" + std::to_string(r.sim.ignored);
    j += ",\"sim_muted\":" + std::to_string(r.sim.muted);
    j += ",\"sim_unusable_bytes\":" + std::to_string(r.sim.skipped);
    j += ",\"receive_events\":" + std::to_string(c.receive_events);
    j += ",\"frames_accepted\":" + std::to_string(c.frames_accepted);
    j += ",\"frames_accepted_whole_reply\":" + std::to_string(c.accepted_replies);
    j += ",\"frames_accepted_spliced\":" + std::to_string(c.accepted_spliced);
    j += ",\"frames_rejected\":" + std::to_string(c.frames_rejected);
    j += ",\"faults\":" + json_counts(r.sim.faults);
    j += ",\"hangups\":" + std::to_string(r.sim.hangups);
    j += ",\"reopens\":" + std::to_string(r.sim.reopens);
    j += ",\"port_losses\":" + std::to_string(r.port_losses);
    j += ",\"open_attempts\":" + std::to_string(r.open_attempts);
    j += ",\"open_failures\":" + std::to_string(r.open_failures);
    j += ",\"operator_actions\":" + std::to_string(r.actions_total);
    j += ",\"operator_actions_by_kind\":" + json_counts(r.actions);
    j += ",\"looks_judged\":" + std::to_string(c.looks_judged);
    j += ",\"wrong_looks\":" + std::to_string(r.wrong_looks);
    j += ",\"line_faults\":" + std::to_string(r.line_faults);
    j += ",\"violations\":" + json_counts(wrong);
    j += ",\"violation_examples\":" + examples;
    j += ",\"crashes\":{\"tool\":0,\"sim\":" + std::to_string(r.sim_crashes) + "}";
    j += ",\"rss_kib\":{\"start\":" + std::to_string(r.start.rss_kib) +
         ",\"end\":" + std::to_string(r.end.rss_kib) +
         ",\"peak_at_start\":" + std::to_string(r.start.hwm_kib) +
         ",\"peak_at_end\":" + std::to_string(r.end.hwm_kib) + "}";
    j += ",\"cpu_s\":{\"tool\":" + fixed(r.end.cpu_s, 2) +
         ",\"sim\":" + fixed(r.end.children_cpu_s, 2) + "}";
    if (!r.error.empty()) j += ",\"error\":" + json_string(r.error);
    return j + "}";
}

void print_table(const SoakReport& r) {
    const auto& c = r.counts;
    std::string faults;
    for (const auto& [name, n] : r.sim.faults) {
        faults += (faults.empty() ? "" : ", ") + name + " " + std::to_string(n);
    }
    if (faults.empty()) faults = "none";
    std::printf("quellbox soak: %.0f s in %d phases\n", r.duration_s, r.phases);
    std::printf("  %-26s %ld\n", "ticks", c.ticks);
    std::printf("  %-26s %ld\n", "frames sent by the tool", c.frames_written);
    std::printf("  %-26s %ld received, %ld answered, %ld ignored, %ld muted\n", "board",
                r.sim.received, r.sim.answered, r.sim.ignored, r.sim.muted);
    std::printf("  %-26s %ld accepted (%ld spliced), %ld rejected\n", "status frames",
                c.frames_accepted, c.accepted_spliced, c.frames_rejected);
    std::printf("  %-26s %s\n", "faults injected", faults.c_str());
    std::printf("  %-26s %ld hang-ups, %ld reopens, %ld losses seen by the tool\n", "line",
                r.sim.hangups, r.sim.reopens, r.port_losses);
    std::printf("  %-26s %ld (%ld opens tried, %ld failed)\n", "operator actions", r.actions_total,
                r.open_attempts, r.open_failures);
    std::printf("  %-26s %ld of %ld looks judged; line faults %ld\n", "WRONG LOOKS", r.wrong_looks,
                c.looks_judged, r.line_faults);
    std::printf("  %-26s tool 0, board %ld\n", "crashes", r.sim_crashes);
    std::printf("  %-26s %ld -> %ld KiB (peak %ld -> %ld KiB)\n", "resident memory",
                r.start.rss_kib, r.end.rss_kib, r.start.hwm_kib, r.end.hwm_kib);
    std::printf("  %-26s %.2f s tool, %.2f s board\n", "CPU (user + sys)", r.end.cpu_s,
                r.end.children_cpu_s);
    for (const std::string& e : r.examples) std::printf("  ! %s\n", e.c_str());
    if (!r.error.empty()) std::printf("  error: %s\n", r.error.c_str());
}

}  // namespace quellbox::soak
