#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "bridge_soak.h"

namespace quellbox::soak_bridge {

namespace {

QJsonObject counts_of(const std::map<std::string, long>& counts) {
    QJsonObject out;
    for (const auto& [name, n] : counts)
        out.insert(QString::fromStdString(name), static_cast<qint64>(n));
    return out;
}

}  // namespace

std::string to_json(const SoakReport& r) {
    const JudgeCounts& c = r.counts;
    QJsonArray phases;
    for (const std::string& p : r.phases) phases.append(QString::fromStdString(p));
    QJsonArray examples;
    for (const std::string& e : r.examples) examples.append(QString::fromStdString(e));
    const QJsonObject j{
        {"duration_s", r.duration_s},
        {"passed", r.passed()},
        {"phases", phases},
        {"wrong", static_cast<qint64>(r.wrong)},
        {"violations", counts_of(r.violations)},
        {"examples", examples},
        {"not_judged", static_cast<qint64>(r.not_judged)},
        {"wire_reports", static_cast<qint64>(c.reports)},
        {"line_made_frames", static_cast<qint64>(c.line_made_frames)},
        {"states", static_cast<qint64>(c.states)},
        {"states_right", static_cast<qint64>(c.states_right)},
        {"states_by_line_faults", static_cast<qint64>(c.states_by_line_faults)},
        {"onlines", static_cast<qint64>(c.onlines)},
        {"offlines", static_cast<qint64>(c.offlines)},
        {"commands", static_cast<qint64>(c.commands)},
        {"confirmed", static_cast<qint64>(c.confirmed)},
        {"already_shown", static_cast<qint64>(c.already_shown)},
        {"board_offline", static_cast<qint64>(c.board_offline)},
        {"superseded", static_cast<qint64>(c.superseded)},
        {"lost_in_broker_restart", static_cast<qint64>(c.broker_restart)},
        {"commands_sent", counts_of(r.commands_sent)},
        {"broker_restarts", static_cast<qint64>(r.broker_restarts)},
        {"board_frames_received", static_cast<qint64>(r.sim.received)},
        {"board_replies", static_cast<qint64>(r.sim.answered)},
        {"board_hangups", static_cast<qint64>(r.sim.hangups)},
        {"board_faults", counts_of(r.sim.faults)},
        {"bridge_log_lines", static_cast<qint64>(r.bridge_log_lines)},
        {"rss_first_kib", static_cast<qint64>(r.rss_first_kib)},
        {"rss_settled_kib", static_cast<qint64>(r.rss_settled_kib)},
        {"rss_last_kib", static_cast<qint64>(r.rss_last_kib)},
        {"rss_peak_kib", static_cast<qint64>(r.rss_peak_kib)},
        {"rss_flat", r.rss_flat},
        {"error", QString::fromStdString(r.error)},
    };
    return QJsonDocument(j).toJson(QJsonDocument::Compact).toStdString();
}

void print_table(const SoakReport& r) {
    const JudgeCounts& c = r.counts;
    std::printf("bridge soak: %.1f s, %zu phases, %ld broker restarts\n", r.duration_s,
                r.phases.size(), r.broker_restarts);
    std::printf(
        "  board:     %ld frames received, %ld replies, %ld hang-ups; on the wire %ld "
        "status frames, %ld more made by line faults\n",
        r.sim.received, r.sim.answered, r.sim.hangups, c.reports, c.line_made_frames);
    std::printf("  faults:   ");
    for (const auto& [name, n] : r.sim.faults) std::printf(" %s %ld", name.c_str(), n);
    std::printf("\n  states:    %ld published, %ld the board's own, %ld only a line-made frame's\n",
                c.states, c.states_right, c.states_by_line_faults);
    std::printf("  online:    %ld online (each after a frame of the board), %ld offline\n",
                c.onlines, c.offlines);
    std::printf(
        "  commands:  %ld sent, %ld confirmed (%ld shown already), %ld board offline, "
        "%ld superseded, %ld lost in a broker restart\n",
        c.commands, c.confirmed, c.already_shown, c.board_offline, c.superseded, c.broker_restart);
    std::printf(
        "  bridge:    %ld log lines; RSS %ld KiB at first, %ld settled, %ld at the end, "
        "peak %ld: %s\n",
        r.bridge_log_lines, r.rss_first_kib, r.rss_settled_kib, r.rss_last_kib, r.rss_peak_kib,
        r.rss_flat ? "flat" : "GROWING");
    std::printf("  WRONG:     %ld", r.wrong);
    for (const auto& [kind, n] : r.violations) std::printf("; %s %ld", kind.c_str(), n);
    std::printf("%s\n", r.not_judged > 0
                            ? (" (and " + std::to_string(r.not_judged) + " not judged)").c_str()
                            : "");
    for (const std::string& e : r.examples) std::printf("    %s\n", e.c_str());
    if (!r.error.empty()) std::printf("  ERROR: %s\n", r.error.c_str());
    std::fflush(stdout);
}

}  // namespace quellbox::soak_bridge
