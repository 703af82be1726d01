// quellbox-bench-mqtt: the MQTT bridge measured end to end on loopback. A real broker, the
// paced virtual board with two boards on one line, the real bridge, and a measuring client:
//   - command published -> command frame at the board -> new state published, per command;
//   - the broker round trip of a plain message, measured the same way, as the reference;
//   - CPU and wake-ups of the bridge idling on two boards, beside the virtual board and the
//     broker in the same run.
// Figures depend on the machine and its load; the load average is printed with them.
//
//   quellbox-bench-mqtt --board-sim PATH --bridge PATH [--commands N] [--idle-seconds S]

#include <mosquitto.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "process_counters.h"
#include "stats.h"
#include "tools/board_process.h"
#include "tools/event_waits.h"
#include "tools/mosquitto_broker.h"
#include "tools/private_runtime_dir.h"
#include "tools/time_units.h"

namespace {

using namespace std::chrono_literals;
using quellbox::bench::ProcessCounters;
using quellbox::bench::read_counters;
using quellbox::bench::summarize;
using quellbox::bench::Summary;
using quellbox::tools::now_us;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "quellbox-bench-mqtt: %s\n", what.c_str());
    std::exit(1);
}

// Messages as the measuring client got them, stamped on arrival (on the library's thread).
class Client {
  public:
    explicit Client(int port) {
        mosq_ = mosquitto_new("quellbox-bench", true, this);
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* client = static_cast<Client*>(self);
                const std::lock_guard lock(client->mutex_);
                client->received_.push_back({now_us(), m->topic,
                                             std::string(static_cast<const char*>(m->payload),
                                                         static_cast<std::size_t>(m->payloadlen))});
            });
        mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
        if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS)
            fail("the measuring client cannot connect");
        mosquitto_loop_start(mosq_);
    }
    ~Client() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }

    void subscribe(const char* filter) { mosquitto_subscribe(mosq_, nullptr, filter, 1); }
    void publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, false);
    }
    // Arrival time of the first message on `topic` with `payload` that came at or after `since`.
    std::optional<std::int64_t> arrival(const std::string& topic, const std::string& payload,
                                        std::int64_t since) {
        const std::lock_guard lock(mutex_);
        for (const auto& m : received_) {
            if (m.t_us >= since && m.topic == topic && m.payload == payload) return m.t_us;
        }
        return std::nullopt;
    }

  private:
    struct Received {
        std::int64_t t_us;
        std::string topic;
        std::string payload;
    };
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    std::vector<Received> received_;
};

// The bridge as a child process; its log goes to this program's stderr.
class BridgeProcess {
  public:
    BridgeProcess(const QString& program, const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(program, arguments);
        if (!process_.waitForStarted()) fail("cannot start " + program.toStdString());
    }
    ~BridgeProcess() {
        process_.terminate();
        process_.waitForFinished();
    }
    qint64 pid() const { return process_.processId(); }

  private:
    QProcess process_;
};

// "<µs> rx <frame>" of the virtual board: when `frame` was received, at or after `since`.
std::optional<std::int64_t> received_at(const QStringList& sim_lines, const QString& frame,
                                        std::int64_t since) {
    for (const QString& line : sim_lines) {
        if (line.section(' ', 1, 1) != QLatin1String("rx") || line.section(' ', 2) != frame)
            continue;
        const std::int64_t t = line.section(' ', 0, 0).toLongLong();
        if (t >= since) return t;
    }
    return std::nullopt;
}

QString command_frame(int address, int channel, bool on) {
    const int code = on ? 0x12 : 0x11;
    const int sum = (0x55 + address + code + channel) & 0xFF;
    return QString::asprintf("55 %02x %02x 00 00 00 %02x %02x", address, code, channel, sum);
}

void print_row(const char* what, const Summary& s) {
    std::printf("  %-44s %8.2f %8.2f %8.2f   (n=%zu)\n", what, s.p50, s.p99, s.max, s.count);
}

struct Paths {
    QString sim;
    QString bridge;
};

// One full run against a fresh broker: latencies, then (if asked) the idle figures.
void run(const Paths& paths, bool broker_nodelay, int commands, int idle_seconds) {
    quellbox::tools::Broker broker(std::nullopt, broker_nodelay);
    broker.start();
    QStringList sim_lines;
    quellbox::tools::BoardProcess sim(
        {paths.sim,
         {QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--address"),
          QStringLiteral("1,2"), QStringLiteral("--paced"), QStringLiteral("--timestamps")},
         {},
         {}},
        [&](const QString& line) { sim_lines.append(line); });
    if (!sim.wait_ready(10s)) fail("the virtual board did not start");
    Client client(broker.port());
    client.subscribe("quellbox/+/channel/+/state");
    client.subscribe("bench/echo");
    const std::int64_t started = now_us();
    BridgeProcess bridge(
        paths.bridge,
        {QStringLiteral("--broker"), QStringLiteral("127.0.0.1"), QStringLiteral("--broker-port"),
         QString::number(broker.port()), QStringLiteral("--port"), QStringLiteral("1"),
         QStringLiteral("--boards"), QStringLiteral("1,2"), QStringLiteral("--no-discovery")});
    if (!quellbox::tools::wait_until(
            [&] {
                return client.arrival("quellbox/board2/channel/16/state", "OFF", started)
                    .has_value();
            },
            10s)) {
        fail("the bridge did not publish the boards' states");
    }

    std::mt19937 rng(1);
    std::uniform_int_distribution<int> pause_ms(0, 60);  // spreads commands over the tick phase
    const auto patient_wait = [](const std::function<bool()>& done) {
        if (!quellbox::tools::wait_until(done, 10s)) fail("no answer within 10 s");
    };

    std::vector<double> echo_ms;
    for (int i = 0; i < commands; ++i) {
        const std::string payload = std::to_string(i);
        const std::int64_t t0 = now_us();
        client.publish("bench/echo", payload);
        std::int64_t t = 0;
        patient_wait([&] {
            const auto a = client.arrival("bench/echo", payload, t0);
            if (a) t = *a;
            return a.has_value();
        });
        echo_ms.push_back(static_cast<double>(t - t0) / 1000.0);
    }

    std::vector<double> to_wire_ms, to_state_ms;
    bool relays[17] = {};
    for (int i = 0; i < commands; ++i) {
        const int channel = 1 + i % 16;
        const bool on = !relays[channel];
        relays[channel] = on;
        quellbox::tools::run_events_for(std::chrono::milliseconds(pause_ms(rng)));
        const std::string topic = "quellbox/board1/channel/" + std::to_string(channel);
        const std::string word = on ? "ON" : "OFF";
        const std::int64_t t0 = now_us();
        client.publish(topic + "/set", word);
        std::int64_t t_state = 0, t_wire = 0;
        patient_wait([&] {
            const auto a = client.arrival(topic + "/state", word, t0);
            const auto w = received_at(sim_lines, command_frame(1, channel, on), t0);
            if (a) t_state = *a;
            if (w) t_wire = *w;
            return a && w;
        });
        to_wire_ms.push_back(static_cast<double>(t_wire - t0) / 1000.0);
        to_state_ms.push_back(static_cast<double>(t_state - t0) / 1000.0);
    }

    QFile loadavg(QStringLiteral("/proc/loadavg"));
    loadavg.open(QIODevice::ReadOnly);
    std::printf("broker %s (load average %s)\n",
                broker_nodelay ? "with set_tcp_nodelay true" : "with its default settings",
                loadavg.readLine().left(14).trimmed().constData());
    std::printf("  %-44s %8s %8s %8s\n", "latency, ms", "p50", "p99", "max");
    print_row("command published -> frame at the board", summarize(to_wire_ms));
    print_row("command published -> new state published", summarize(to_state_ms));
    print_row("reference: broker round trip of a message", summarize(echo_ms));
    if (idle_seconds <= 0) return;

    const qint64 pids[] = {bridge.pid(), sim.pid()};
    const ProcessCounters before[] = {read_counters(pids[0]), read_counters(pids[1])};
    const std::int64_t idle_start = now_us();
    quellbox::tools::run_events_for(std::chrono::seconds(idle_seconds));
    const double idle_s = static_cast<double>(now_us() - idle_start) / 1e6;
    const ProcessCounters after[] = {read_counters(pids[0]), read_counters(pids[1])};
    std::printf("  idle, polling two boards, for %.0f s:\n", idle_s);
    const char* names[] = {"quellbox-mqtt", "reference: quellbox-board-sim"};
    for (int i = 0; i < 2; ++i) {
        std::printf(
            "  %-44s %6.2f %% of a core, %6.1f wake-ups/s\n", names[i],
            100.0 * (after[i].cpu_seconds - before[i].cpu_seconds) / idle_s,
            static_cast<double>(after[i].voluntary_switches - before[i].voluntary_switches) /
                idle_s);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Paths paths;
    int commands = 200;
    int idle_seconds = 20;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--board-sim")) {
            paths.sim = args[i + 1];
        } else if (args[i] == QLatin1String("--bridge")) {
            paths.bridge = args[i + 1];
        } else if (args[i] == QLatin1String("--commands")) {
            commands = args[i + 1].toInt();
        } else if (args[i] == QLatin1String("--idle-seconds")) {
            idle_seconds = args[i + 1].toInt();
        } else {
            fail("unknown option " + args[i].toStdString());
        }
    }
    if (paths.sim.isEmpty() || paths.bridge.isEmpty() || commands < 1 || idle_seconds < 1)
        fail("usage: --board-sim PATH --bridge PATH [--commands N] [--idle-seconds S]");

    const quellbox::tools::PrivateRuntimeDir runtime(QStringLiteral("quellbox-bench-mqtt"));
    runtime.use_for_this_process();
    std::printf("quellbox-mqtt on loopback, two boards on one paced virtual line, %d commands\n",
                commands);
    // Mosquitto leaves Nagle's algorithm on by default, which holds a command back until the
    // broker's previous packet to the bridge is acknowledged: both settings, side by side.
    run(paths, false, commands, 0);
    run(paths, true, commands, idle_seconds);
    return 0;
}
