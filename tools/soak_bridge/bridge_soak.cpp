#include "bridge_soak.h"

#include <QFile>
#include <QObject>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>

#include "bridge_phases.h"
#include "tools/board_process.h"
#include "tools/event_waits.h"
#include "tools/mosquitto_broker.h"
#include "tools/process_memory.h"
#include "tools/time_units.h"
#include "watcher.h"

namespace quellbox::soak_bridge {

namespace {

using namespace std::chrono_literals;
using tools::now_us;

const QString topic_prefix = QStringLiteral("soak");

struct ConfiguredBoard {
    std::uint8_t address;
    const char* id;
    int command_weight;  // of every hundred commands
};
// Two boards on the line and one the bridge is told of that is not there: whatever is
// published for soak-z came from another board's answer.
constexpr ConfiguredBoard configured[] = {{1, "soak-a", 45}, {5, "soak-b", 45}, {9, "soak-z", 10}};

// No commands and no broker restart in the last seconds, longer than a command's confirmation
// window: every command sent can still be judged at the end.
constexpr Micros command_tail_us = 5'000'000;
// Long enough for a few hang-ups and a handful of late answers in each phase.
constexpr Millis phase_length_min = 12s;
constexpr Millis broker_restart_every_min = 15s;
constexpr Millis broker_restart_every_max = 25s;

class Run {
  public:
    Run(const SoakOptions& options, SoakReport& report)
        : options_(options),
          report_(report),
          rng_(options.seed),
          start_(now_us()),
          judge_(addresses(), start_) {}

    void go() {
        broker_.start();
        watcher_ = std::make_unique<Watcher>(broker_.port(), topic_prefix,
                                             [this](const Seen& seen) { on_seen(seen); });
        if (!watcher_subscribed()) throw std::runtime_error("mosquitto_sub did not subscribe");

        const Micros end =
            start_ +
            std::chrono::duration_cast<std::chrono::microseconds>(options_.duration).count();
        const long phases = std::max(1L, static_cast<long>(options_.duration / phase_length_min));
        const Micros phase_us = (end - start_) / phases;
        start_phase(0);
        start_bridge();

        Micros next_phase = start_ + phase_us;
        int phase_index = 1;
        Micros next_command = now_us();
        Micros next_restart = now_us() + drawn_restart_pause();
        Micros broker_back = 0;  // while the broker is down: when it comes back
        Micros down_since = 0;
        Micros next_look = now_us() + 1'000'000;
        while (report_.error.empty()) {
            tools::run_events_for(10ms);
            const Micros now = now_us();
            if (now >= end) break;
            if (now >= next_phase && phase_index < phases) {
                start_phase(phase_index++);
                next_phase += phase_us;
            }
            if (broker_back == 0 && now >= next_restart && now < end - command_tail_us) {
                broker_.stop();
                down_since = now_us();
                broker_back = down_since + 1000 * draw(rng_, 500, 2500);
                if (options_.verbose) std::fprintf(stderr, "soak-bridge: broker down\n");
            }
            if (broker_back != 0 && now >= broker_back) {
                broker_.start();
                judge_.broker_down(down_since, now_us());
                ++report_.broker_restarts;
                broker_back = 0;
                next_restart = now_us() + drawn_restart_pause();
            }
            if (broker_back == 0 && now >= next_command && now < end - command_tail_us) {
                send_command();
                next_command = now + 1000 * draw(rng_, 100, 500);
            }
            if (now >= next_look) {
                look();
                next_look = now + 1'000'000;
            }
        }
        finish();
    }

  private:
    static std::vector<std::uint8_t> addresses() {
        std::vector<std::uint8_t> out;
        for (const ConfiguredBoard& b : configured) out.push_back(b.address);
        return out;
    }

    Micros drawn_restart_pause() {
        return 1000 * draw(rng_, static_cast<int>(broker_restart_every_min.count()),
                           static_cast<int>(broker_restart_every_max.count()));
    }

    // Publishes probes until the watcher shows it hears the broker.
    bool watcher_subscribed() {
        return tools::wait_until(
            [this] {
                if (probe_seen_) return true;
                publish(topic_prefix + QStringLiteral("/probe/availability"), "probe");
                tools::run_events_for(200ms);
                return probe_seen_;
            },
            10s);
    }

    void publish(const QString& topic, const QByteArray& payload) {
        auto* client = new QProcess(&publishers_);
        QObject::connect(client, &QProcess::finished, client, &QObject::deleteLater);
        client->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client->start(
            QStringLiteral("mosquitto_pub"),
            {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
             QString::number(broker_.port()), QStringLiteral("-q"), QStringLiteral("1"),
             QStringLiteral("-t"), topic, QStringLiteral("-m"), QString::fromUtf8(payload)});
    }

    void start_phase(int index) {
        if (sim_) sim_->stop();
        tell_phase_figures();
        const Phase p = phase(index, rng_, options_.late_answers);
        report_.phases.push_back(p.name);
        judge_.line_restarted();
        sim_ = std::make_unique<tools::BoardProcess>(
            tools::BoardLaunch{options_.sim_program, p.sim_args, {}, {}},
            [this](const QString& line) { on_sim_line(line); });
        if (!sim_->wait_ready(10s)) throw std::runtime_error("the virtual board did not start");
    }

    // On stderr, when verbose: what the board did in the phase that just ended.
    void tell_phase_figures() {
        if (!options_.verbose || report_.phases.empty()) return;
        std::fprintf(stderr, "soak-bridge: %s: %ld replies, %ld hang-ups;",
                     report_.phases.back().c_str(), report_.sim.answered - shown_.answered,
                     report_.sim.hangups - shown_.hangups);
        for (const auto& [name, n] : report_.sim.faults)
            std::fprintf(stderr, " %s %ld", name.c_str(), n - shown_.faults[name]);
        std::fprintf(stderr, "\n");
        shown_ = report_.sim;
    }

    void start_bridge() {
        QStringList boards;
        for (const ConfiguredBoard& b : configured)
            boards << QStringLiteral("%1=%2").arg(b.address).arg(QLatin1String(b.id));
        bridge_.setStandardOutputFile(QProcess::nullDevice());
        bridge_.setStandardErrorFile(options_.bridge_log);
        QObject::connect(&bridge_, &QProcess::finished, &bridge_, [this](int code) {
            if (!bridge_stopping_)
                report_.error = "the bridge ended by itself (status " + std::to_string(code) +
                                "; see " + options_.bridge_log.toStdString() + ")";
        });
        bridge_.start(
            options_.bridge_program,
            {QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--boards"),
             boards.join(QLatin1Char(',')), QStringLiteral("--broker"), QStringLiteral("127.0.0.1"),
             QStringLiteral("--broker-port"), QString::number(broker_.port()),
             QStringLiteral("--prefix"), topic_prefix, QStringLiteral("--no-discovery")});
        if (!bridge_.waitForStarted()) throw std::runtime_error("cannot start the bridge");
    }

    void send_command() {
        int pick = draw(rng_, 0, 99);
        const ConfiguredBoard* board = &configured[0];
        for (const ConfiguredBoard& b : configured) {
            board = &b;
            if (pick < b.command_weight) break;
            pick -= b.command_weight;
        }
        const int channel = draw(rng_, 0, 99) < 85 ? draw(rng_, 1, 16) : 0;
        const bool on = draw(rng_, 0, 1) == 1;
        const QString base = topic_prefix + QLatin1Char('/') + QLatin1String(board->id);
        const QString topic = channel == 0 ? base + QStringLiteral("/all/set")
                                           : base + QStringLiteral("/channel/%1/set").arg(channel);
        judge_.command(board->address, channel, on, now_us());
        publish(topic, on ? "ON" : "OFF");
        ++report_.commands_sent[channel == 0 ? "all" : "channel"];
        ++report_.commands_sent[board->id];
    }

    void on_sim_line(const QString& line) {
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        const Micros at = line.left(space).toLongLong();
        const std::string rest = line.mid(space + 1).toStdString();
        const soak::SimLine parsed = soak::parse_sim_line(rest);
        report_.sim.add(parsed);
        using Kind = soak::SimLine::Kind;
        switch (parsed.kind) {
            case Kind::tx:
                // Replies of several boards may overtake each other on the line (a late one
                // waits while the next board answers): each says whose it is.
                if (parsed.board) judge_.board_wrote(*parsed.board, at, parsed.bytes);
                break;
            case Kind::hangup:
            case Kind::reopen:
            case Kind::ready:
                judge_.line_restarted();
                break;
            default:
                break;
        }
    }

    void on_seen(const Seen& seen) {
        const QStringList parts = seen.topic.split(QLatin1Char('/'));
        if (parts.size() < 3) return;
        if (parts[1] == QLatin1String("probe")) {
            probe_seen_ = true;
            return;
        }
        const auto board =
            std::find_if(std::begin(configured), std::end(configured),
                         [&](const ConfiguredBoard& b) { return parts[1] == QLatin1String(b.id); });
        if (board == std::end(configured)) return;
        if (parts[2] == QLatin1String("availability")) {
            judge_.availability(board->address, seen.payload == QLatin1String("online"),
                                seen.at_us);
        } else if (parts.size() == 5 && parts[2] == QLatin1String("channel")) {
            judge_.state(board->address, parts[3].toInt(), seen.payload == QLatin1String("ON"),
                         seen.at_us);
        }
    }

    // Once a second: what can be judged by now, and the bridge's memory.
    void look() {
        // Lines stamped up to two seconds ago have all come in.
        judge_.judge_until(now_us() - 2'000'000);
        const long kib = tools::resident_kib(bridge_.processId());
        if (kib > 0) rss_.emplace_back(now_us() - start_, kib);
    }

    void finish() {
        bridge_stopping_ = true;
        bridge_.terminate();
        if (!bridge_.waitForFinished(10'000)) bridge_.kill();
        tools::run_events_for(1s);  // the bridge's goodbye reaches the watcher
        if (sim_) sim_->stop();
        tell_phase_figures();
        watcher_.reset();
        // Nothing comes in any more: everything left can be judged.
        judge_.judge_until(now_us());
        report_.duration_s = static_cast<double>(now_us() - start_) / 1e6;
        report_.counts = judge_.counts();
        report_.violations = judge_.violations();
        report_.examples = judge_.examples();
        report_.wrong = judge_.wrong();
        report_.not_judged = static_cast<long>(judge_.waiting());
        weigh_memory();
        QFile log(options_.bridge_log);
        if (log.open(QIODevice::ReadOnly)) report_.bridge_log_lines = log.readAll().count('\n');
    }

    // Flat: what the bridge holds in the last quarter of the run stays within a small allowance
    // of what it held in the second quarter, once its buffers and the broker's retained
    // messages have settled.
    void weigh_memory() {
        if (rss_.empty()) return;
        const Micros total = now_us() - start_;
        auto most = [&](Micros from, Micros to) {
            long kib = 0;
            for (const auto& [t, k] : rss_) {
                if (t >= from && t <= to) kib = std::max(kib, k);
            }
            return kib;
        };
        report_.rss_first_kib = rss_.front().second;
        report_.rss_settled_kib = most(total / 4, total / 2);
        report_.rss_last_kib = most(total * 3 / 4, total);
        report_.rss_peak_kib = most(0, total);
        report_.rss_allowance_kib = std::max(512L, report_.rss_settled_kib / 50);
        report_.rss_flat =
            report_.rss_settled_kib == 0 ||
            report_.rss_last_kib <= report_.rss_settled_kib + report_.rss_allowance_kib;
    }

    const SoakOptions& options_;
    SoakReport& report_;
    std::mt19937 rng_;
    Micros start_;
    Judge judge_;
    tools::Broker broker_;
    std::unique_ptr<Watcher> watcher_;
    std::unique_ptr<tools::BoardProcess> sim_;
    QProcess bridge_;
    bool bridge_stopping_ = false;
    QObject publishers_;                        // the mosquitto_pub clients still running
    std::vector<std::pair<Micros, long>> rss_;  // since the start, KiB
    bool probe_seen_ = false;
    soak::SimTally shown_;  // the board's figures at the end of the previous phase
};

}  // namespace

SoakReport run_soak(const SoakOptions& options) {
    SoakReport report;
    try {
        Run run(options, report);
        run.go();
    } catch (const std::exception& e) {
        report.error = e.what();
    }
    return report;
}

}  // namespace quellbox::soak_bridge
