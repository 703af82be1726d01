#include "soak.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <stdexcept>

#include "link/qt_serial_port.h"
#include "tools/event_waits.h"
#include "ui/main_form.h"
#include "ui/spin_bar.h"

namespace quellbox::soak {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using tools::wait_until;

}  // namespace

Soak::Soak(SoakOptions options)
    : options_(std::move(options)), rng_(options_.seed), oracle_(*this) {}

Soak::~Soak() {
    ++generation_;
    sim_.reset();
    form_.reset();  // it reports to this object's observer and oracle until it goes
}

Look Soak::look(int channel) const {
    const auto n = static_cast<std::size_t>(channel);
    return Look{form_->indicator_colour(channel), label2_[n]->text().toStdString()};
}

void Soak::frame_written(std::span<const std::uint8_t> bytes) {
    oracle_.frame_written(bytes, add_->text().toStdString());
}

void Soak::port_lost() {
    ++port_losses_;
    oracle_.expect_all(LookKind::port_closed, "after the port was lost");
    // The board's "reopen" line may have come before the tool noticed the loss.
    awaiting_reopen_ = phase_tally_.reopens == reopens_at_open_;
    if (!awaiting_reopen_) {
        schedule(random_ms(0, 300), [this] { open_when_wanted(); });
        return;
    }
    const long losses = port_losses_;
    // Now and then the operator tries before the board is back: the open fails and leaves the
    // window as it was (or, should the system hand the same pty out again, just opens).
    if (std::uniform_int_distribution<int>(0, 3)(rng_) == 0) {
        schedule(random_ms(20, 200), [this] {
            count("open_before_reopen");
            click_open_comm("before the board came back");
        });
    }
    // A loss the board did not cause (no reopen will come): give up waiting after a while.
    schedule(3s, [this, losses] {
        if (awaiting_reopen_ && port_losses_ == losses) {
            awaiting_reopen_ = false;
            open_when_wanted();
        }
    });
}

void Soak::on_sim_line(const SimLine& line) {
    phase_tally_.add(line);
    switch (line.kind) {
        case SimLine::Kind::tx:
            oracle_.sim_sent(line.bytes);
            break;
        case SimLine::Kind::hangup:
            oracle_.sim_hung_up();
            break;
        case SimLine::Kind::reopen:
            if (awaiting_reopen_) {
                awaiting_reopen_ = false;
                schedule(random_ms(0, 300), [this] { open_when_wanted(); });
            }
            break;
        default:
            break;
    }
}

void Soak::find_controls() {
    auto find = [this]<typename W>(W*, const QString& name) {
        auto* widget = form_->findChild<W*>(name);
        if (widget == nullptr) qFatal("soak: the window has no control %s", qPrintable(name));
        return widget;
    };
    open_comm_ = find(static_cast<QPushButton*>(nullptr), QStringLiteral("open_comm"));
    openall_ = find(static_cast<QPushButton*>(nullptr), QStringLiteral("openall"));
    closeall_ = find(static_cast<QPushButton*>(nullptr), QStringLiteral("closeall"));
    add_ = find(static_cast<QLineEdit*>(nullptr), QStringLiteral("add"));
    chuankou_num_ = find(static_cast<QLineEdit*>(nullptr), QStringLiteral("chuankou_num"));
    vscroll1_ = find(static_cast<ui::SpinBar*>(nullptr), QStringLiteral("VScroll1"));
    for (int n = 1; n <= 16; ++n) {
        const auto i = static_cast<std::size_t>(n);
        picture1_[i] = find(static_cast<QWidget*>(nullptr), QStringLiteral("Picture1_%1").arg(n));
        label2_[i] = find(static_cast<QLabel*>(nullptr), QStringLiteral("Label2_%1").arg(n));
    }
}

SoakReport Soak::run() {
    SoakReport report;
    const auto began = Clock::now();

    auto port = std::make_unique<tools::PassThroughPort>(std::make_unique<link::QtSerialPort>(),
                                                         static_cast<tools::PortObserver&>(*this));
    port_ = port.get();
    form_ = std::make_unique<ui::MainForm>(std::move(port));
    find_controls();
    auto* timer = form_->findChild<link::PreciseTicker*>(QStringLiteral("Timer1"));
    if (timer == nullptr) qFatal("soak: the window has no Timer1");
    // Connected after the window's own handler, so this runs once the tick is done.
    QObject::connect(timer, &link::PreciseTicker::timeout, &scheduler_,
                     [this] { oracle_.tick_done(); });
    form_->show();

    tools::run_events_for(500ms);
    report.start = process_figures();

    run_start_up();
    const std::vector<PhasePlan> plans =
        plan_phases(options_.duration, options_.seed, options_.kinds);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (options_.verbose) {
            std::fprintf(stderr, "soak: phase %zu/%zu %s: %s (%lld s)\n", i + 1, plans.size(),
                         plans[i].name.c_str(), qPrintable(plans[i].sim_args.join(' ')),
                         static_cast<long long>(plans[i].length.count() / 1000));
        }
        run_phase(plans[i]);
        ++report.phases;
        if (options_.verbose) {
            std::fprintf(stderr,
                         "soak:   so far: accepted %ld, rejected %ld, board answered %ld, "
                         "hang-ups %ld, losses %ld, wrong looks %ld\n",
                         oracle_.counts().frames_accepted, oracle_.counts().frames_rejected,
                         total_tally_.answered, total_tally_.hangups, port_losses_,
                         oracle_.wrong_looks());
        }
        if (!sim_error_.empty()) break;
    }

    report.end = process_figures();
    report.duration_s = std::chrono::duration<double>(Clock::now() - began).count();
    report.counts = oracle_.counts();
    report.wrong_looks = oracle_.wrong_looks();
    report.line_faults = oracle_.line_faults();
    report.violations = oracle_.violations();
    report.examples = oracle_.examples();
    report.sim = total_tally_;
    report.sim_crashes = sim_crashes_;
    report.port_losses = port_losses_;
    report.open_attempts = open_attempts_;
    report.open_failures = open_failures_;
    report.actions = actions_;
    for (const auto& [name, n] : actions_) report.actions_total += n;
    report.error = sim_error_;
    return report;
}

// Before any port is opened the timer already runs and the all-buttons are enabled: what the
// operator queues now is consumed by the ticks and written nowhere.
void Soak::run_start_up() {
    for (int i = 0; i < 10; ++i) {
        switch (std::uniform_int_distribution<int>(0, 2)(rng_)) {
            case 0:
                count("openall");
                click(openall_);
                break;
            case 1:
                count("closeall");
                click(closeall_);
                break;
            default:
                click_channel();
                break;
        }
        tools::run_events_for(random_ms(10, 80));
    }
}

void Soak::run_phase(const PhasePlan& plan) {
    ++generation_;
    oracle_.phase_begins(plan.name);
    phase_tally_ = SimTally{};
    try {
        sim_ = std::make_unique<tools::BoardProcess>(
            tools::BoardLaunch{options_.sim_program, plan.sim_args, {}, {}},
            [this](const QString& line) { on_sim_line(parse_sim_line(line.toStdString())); });
    } catch (const std::runtime_error& e) {
        sim_error_ = e.what();
        return;
    }
    if (!sim_->wait_ready(10s)) {
        sim_error_ = "the virtual board did not start (" + options_.sim_program.toStdString() + ")";
        sim_.reset();
        return;
    }

    want_open_ = true;
    awaiting_reopen_ = false;
    reopens_at_open_ = 0;
    open_when_wanted();
    schedule(random_ms(50, 300), [this] { next_action(); });
    const auto phase_end = Clock::now() + plan.length;
    wait_until([&] { return Clock::now() >= phase_end || sim_->died(); }, plan.length + 1s);

    // Wind down: no more operator actions; address back to the board's; port closed.
    ++generation_;
    want_open_ = false;
    if (address_away_ || add_->text() != QStringLiteral("1")) {
        paste_into(add_, QStringLiteral("1"));
        address_away_ = false;
    }
    if (chuankou_num_->text() != QStringLiteral("1"))
        paste_into(chuankou_num_, QStringLiteral("1"));
    if (port_looks_open()) click_open_comm("at the end of a phase");
    tools::run_events_for(100ms);

    if (sim_->died()) ++sim_crashes_;
    sim_->stop();
    oracle_.phase_ends();
    total_tally_ += phase_tally_;
    sim_.reset();
}

}  // namespace quellbox::soak
