#include "soak.h"
#include "event_waits.h"

#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "ui/main_form.h"
#include "ui/spin_bar.h"

namespace quellbox::soak {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using tools::wait_until;
void spin_for(Millis period) {
    tools::run_events_for(period);
}

QString hex16(std::uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

long status_kib(const QByteArray& status, const char* field) {
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(std::char_traits<char>::length(field)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLong();
        }
    }
    return 0;
}

constexpr const char* caption_close_port = "关闭串口";

}  // namespace

// ---- phases ----

const std::vector<std::string>& phase_kinds() {
    // Each kind stresses one thing; the last mixes them all.
    static const std::vector<std::string> kinds = {
        "clean",      "line-noise",       "short-silences", "long-silences",
        "late-board", "straddling-board", "hang-ups",       "everything"};
    return kinds;
}

std::vector<PhasePlan> plan_phases(Millis total, std::uint32_t seed,
                                   std::vector<std::string> kinds) {
    if (kinds.empty()) kinds = phase_kinds();
    std::mt19937 rng(seed);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    auto num = [](int value) { return QString::number(value); };

    const auto slice = total / static_cast<long>(kinds.size());
    const Millis length = std::clamp<Millis>(std::chrono::duration_cast<Millis>(slice), 8s, 90s);

    std::vector<PhasePlan> plans;
    Millis planned{0};
    for (std::size_t i = 0; planned + 2s <= total; ++i) {
        const std::string& kind = kinds[i % kinds.size()];
        QStringList args = {QStringLiteral("--seed"), num(pick(1, 1'000'000)),
                            QStringLiteral("--initial"),
                            hex16(static_cast<std::uint16_t>(pick(0, 0xFFFF)))};
        if (kind == "line-noise") {
            args << "--corrupt-rate"
                 << "0.08"
                 << "--drop-rate"
                 << "0.05"
                 << "--extra-rate"
                 << "0.05"
                 << "--bad-header-rate"
                 << "0.05";
        } else if (kind == "short-silences") {
            // Quiet for fewer than six ticks: the display must never fall back.
            args << "--silence-rate"
                 << "0.03"
                 << "--silence-ms" << num(pick(150, 250));
        } else if (kind == "long-silences") {
            args << "--silence-rate"
                 << "0.03"
                 << "--silence-ms" << num(pick(350, 600));
        } else if (kind == "late-board") {
            // Each answer lands after the next tick has cleared the buffer and sent again.
            args << "--reply-delay-ms" << num(pick(55, 90));
        } else if (kind == "straddling-board") {
            // Byte by byte, so answers are still arriving when the next tick clears the buffer:
            // what the tool reads is mostly misaligned and must never be shown.
            args << "--reply-delay-ms" << num(pick(30, 45)) << "--paced";
        } else if (kind == "hang-ups") {
            args << "--hangup-after" << num(pick(20, 60)) << "--reopen-ms" << num(pick(150, 800));
        } else if (kind == "everything") {
            args << "--corrupt-rate"
                 << "0.04"
                 << "--drop-rate"
                 << "0.03"
                 << "--extra-rate"
                 << "0.03"
                 << "--bad-header-rate"
                 << "0.03"
                 << "--silence-rate"
                 << "0.01"
                 << "--silence-ms" << num(pick(150, 600)) << "--reply-delay-ms" << num(pick(0, 20))
                 << "--paced"
                 << "--hangup-after" << num(pick(60, 150)) << "--reopen-ms" << num(pick(200, 600));
        }
        const Millis this_length = std::min(length, total - planned);
        plans.push_back(PhasePlan{kind, args, this_length});
        planned += this_length;
    }
    return plans;
}

ProcessFigures process_figures() {
    ProcessFigures figures;
    QFile file(QStringLiteral("/proc/self/status"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray status = file.readAll();
        figures.rss_kib = status_kib(status, "VmRSS:");
        figures.hwm_kib = status_kib(status, "VmHWM:");
    }
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    figures.cpu_s = seconds(self.ru_utime) + seconds(self.ru_stime);
    if (figures.hwm_kib == 0) figures.hwm_kib = self.ru_maxrss;
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    figures.children_cpu_s = seconds(children.ru_utime) + seconds(children.ru_stime);
    return figures;
}

// ---- the virtual board ----

SimProcess::SimProcess(const QString& program, const QStringList& arguments,
                       std::function<void(const SimLine&)> on_line)
    : on_line_(std::move(on_line)) {
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { take_output(); });
    QObject::connect(&process_, &QProcess::finished, &process_, [this] {
        if (!stopping_) died_ = true;
    });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        stopping_ = true;
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void SimProcess::take_output() {
    pending_ += process_.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        const SimLine parsed = parse_sim_line(std::string_view(line.constData(), line.size()));
        if (parsed.kind == SimLine::Kind::ready) ready_ = true;
        on_line_(parsed);
    }
}

void SimProcess::stop() {
    if (process_.state() != QProcess::NotRunning) {
        stopping_ = true;
        process_.terminate();
        if (!process_.waitForFinished(10'000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    take_output();
}

// ---- the soak ----

Soak::Soak(SoakOptions options)
    : options_(std::move(options)), rng_(options_.seed), port_(real_port_, *this), oracle_(*this) {}

Soak::~Soak() {
    ++generation_;
    sim_.reset();
    form_.reset();  // before the ports it borrows
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

    form_ = std::make_unique<ui::MainForm>(port_);
    find_controls();
    QObject::connect(form_.get(), &ui::MainForm::look_written, &scheduler_,
                     [this](int n) { oracle_.look_written(n); });
    auto* timer = form_->findChild<QTimer*>(QStringLiteral("Timer1"));
    if (timer == nullptr) qFatal("soak: the window has no Timer1");
    // Connected after the window's own handler, so this runs once the tick is done.
    QObject::connect(timer, &QTimer::timeout, &scheduler_, [this] { oracle_.tick_done(); });
    form_->show();

    spin_for(500ms);
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
        spin_for(random_ms(10, 80));
    }
}

void Soak::run_phase(const PhasePlan& plan) {
    ++generation_;
    oracle_.phase_begins(plan.name);
    phase_tally_ = SimTally{};
    sim_ = std::make_unique<SimProcess>(options_.sim_program, plan.sim_args,
                                        [this](const SimLine& line) { on_sim_line(line); });
    if (!wait_until([this] { return sim_->ready() || sim_->died(); }, 10s) || !sim_->ready()) {
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
    spin_for(100ms);

    if (sim_->died()) ++sim_crashes_;
    sim_->stop();
    oracle_.phase_ends();
    total_tally_ += phase_tally_;
    sim_.reset();
}

// ---- the operator ----

void Soak::schedule(Millis delay, std::function<void()> action) {
    QTimer::singleShot(delay, &scheduler_,
                       [this, generation = generation_, action = std::move(action)] {
                           if (generation == generation_) action();
                       });
}

Millis Soak::random_ms(int low, int high) {
    return Millis(std::uniform_int_distribution<int>(low, high)(rng_));
}

bool Soak::port_looks_open() const {
    return open_comm_->text() == QString::fromUtf8(caption_close_port);
}

void Soak::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The operator goes by the button's caption, as a person would. What the click must do follows
// from the port: an open port closes and every channel turns grey; a closed one opens with every
// channel not-known, or, when it cannot be opened, the window stays exactly as it was.
void Soak::click_open_comm(const char* why) {
    const bool was_open = port_.is_open();
    const std::array<Look, 17> before = oracle_.snapshot();
    const QString caption_before = open_comm_->text();
    if (!was_open) ++open_attempts_;
    click(open_comm_);

    const std::string when = std::string("after clicking open_comm ") + why;
    if (was_open) {
        oracle_.expect_all(LookKind::port_closed, when);
    } else if (port_.is_open()) {
        oracle_.expect_all(LookKind::not_known, when);
        reopens_at_open_ = phase_tally_.reopens;
    } else {
        ++open_failures_;
        oracle_.expect_unchanged(before, when + " (the open failed)");
        if (open_comm_->text() != caption_before) {
            oracle_.violation("state_change", when + ": the failed open changed the caption");
        }
    }
}

void Soak::open_when_wanted() {
    if (!want_open_ || awaiting_reopen_ || port_looks_open()) return;
    click_open_comm("to open the port");
    if (!port_.is_open()) schedule(random_ms(200, 400), [this] { open_when_wanted(); });
}

void Soak::next_action() {
    // Weights of what the operator does next.
    static constexpr std::array<int, 7> weights = {40, 6, 6, 8, 4, 3, 2};
    std::discrete_distribution<int> choose(weights.begin(), weights.end());
    Millis pause = random_ms(40, 450);
    switch (choose(rng_)) {
        case 0:
            click_channel();
            break;
        case 1:
            count("openall");
            click(openall_);
            break;
        case 2:
            count("closeall");
            click(closeall_);
            break;
        case 3:
            change_address();
            break;
        case 4:
            close_and_reopen();
            break;
        case 5:
            if (QMessageBox* box = form_->notice_box()) {
                count("dismiss_notice");
                box->close();
            }
            break;
        default:
            pause = random_ms(500, 1500);
            break;
    }
    schedule(pause, [this] { next_action(); });
}

void Soak::click_channel() {
    const int n = std::uniform_int_distribution<int>(1, 16)(rng_);
    const auto i = static_cast<std::size_t>(n);
    if (std::uniform_int_distribution<int>(0, 1)(rng_) == 0) {
        count("channel_click");
        click(picture1_[i]);
    } else {
        count("caption_click");
        click(label2_[i]);
    }
}

// Moves the address away from the board's (so it stops answering, or the tool stops sending)
// and back a little later.
void Soak::change_address() {
    if (address_away_) return;
    address_away_ = true;
    count("address_change");
    const int variant = std::uniform_int_distribution<int>(0, 10)(rng_);
    bool by_arrow = false;
    switch (variant) {
        case 0:
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, Qt::Key_Up);  // 1 -> 2
            by_arrow = true;
            break;
        case 1:
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, Qt::Key_Down);  // 1 -> 0
            by_arrow = true;
            break;
        case 2:
            type_into(add_, QStringLiteral("2"));
            break;
        case 3:
            type_into(add_, QStringLiteral("255"));
            break;
        case 4:
            type_into(add_, QStringLiteral("abc"));
            break;
        case 5:
            type_into(add_, QString());
            break;
        case 6:
            type_into(add_, QStringLiteral("300"));
            break;
        case 7:
            type_into(add_, QStringLiteral("-1"));
            break;
        case 8:
            paste_into(add_, QStringLiteral("1e3"));
            break;
        case 9:
            paste_into(add_, QStringLiteral("0x10"));
            break;
        default:
            paste_into(add_, QStringLiteral(" 1.0"));  // reads 1: the board still answers
            break;
    }
    const int arrow = variant == 0 ? Qt::Key_Down : Qt::Key_Up;
    schedule(random_ms(100, 2000), [this, by_arrow, arrow] {
        if (by_arrow && add_->text() != QStringLiteral("1")) {
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, static_cast<Qt::Key>(arrow));
        }
        if (add_->text() != QStringLiteral("1")) type_into(add_, QStringLiteral("1"));
        address_away_ = false;
    });
}

void Soak::close_and_reopen() {
    if (!port_looks_open()) return;
    count("close_reopen");
    want_open_ = false;
    click_open_comm("to close the port");
    schedule(random_ms(50, 1500), [this] {
        // Sometimes a port number that leads nowhere first.
        if (std::uniform_int_distribution<int>(0, 2)(rng_) == 0) {
            static const std::array<const char*, 5> bad = {"0", "255", "abc", "", "99999999999"};
            const char* text = bad[std::uniform_int_distribution<std::size_t>(0, 4)(rng_)];
            count("bad_port_number");
            paste_into(chuankou_num_, QString::fromLatin1(text));
            click_open_comm("with a port number that leads nowhere");
            if (port_looks_open()) click_open_comm("to close a port that should not have opened");
            paste_into(chuankou_num_, QStringLiteral("1"));
        }
        want_open_ = true;
        open_when_wanted();
    });
}

void Soak::type_into(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(field, text);
    }
}

void Soak::paste_into(QLineEdit* field, const QString& text) {
    field->selectAll();
    field->insert(text);
}

}  // namespace quellbox::soak
