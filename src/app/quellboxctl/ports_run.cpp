// quellboxctl ports [--probe]: the port numbers and the devices they reach, as the window's port
// field tooltip tells them; with --probe one status query per port to say where the board is.

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QTimer>
#include <memory>
#include <set>
#include <vector>

#include "link/port_resolver.h"
#include "output.h"
#include "runs.h"
#include "runtime/translations.h"

namespace quellbox::ctl {

namespace {

// How long a probed device may take to answer its one query: four poll periods.
constexpr int probe_wait_ms = 200;

// Every number that reaches something: 1 to the count of listed devices, and every com<N> link
// in the runtime ports folder.
std::vector<int> port_numbers() {
    std::set<int> numbers;
    const auto listed = static_cast<int>(QSerialPortInfo::availablePorts().size());
    for (int n = 1; n <= listed; ++n) numbers.insert(n);
    const QString folder = link::runtime_ports_folder();
    if (!folder.isEmpty()) {
        static const QRegularExpression name(QStringLiteral("^com([1-9][0-9]{0,4})$"));
        const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::System);
        for (const QString& entry : entries) {
            const auto match = name.match(entry);
            if (match.hasMatch()) numbers.insert(match.captured(1).toInt());
        }
    }
    std::vector<int> out;
    for (const int n : numbers) {
        if (n <= 32767 && link::resolve_port(n)) out.push_back(n);
    }
    return out;
}

// The listing is data a script reads: the same words in every language.
void print_port(const Request& request, int number, QJsonObject probe, const QString& outcome) {
    const runtime::SourceLanguage untranslated;
    if (request.json) {
        const auto port = link::resolve_port(number);
        probe.insert(QStringLiteral("port"), number);
        probe.insert(QStringLiteral("device"), port ? port->device : QString());
        probe.insert(QStringLiteral("description"), port ? port->description : QString());
        print_json(probe);
        return;
    }
    const QString text = link::describe_port(number);
    print_line(outcome.isEmpty() ? text : text + QStringLiteral(": ") + outcome);
}

// Probes the ports one after the other, each on its own line opened and closed again.
class Prober {
  public:
    Prober(const Request& request, std::vector<int> numbers)
        : request_(request), numbers_(std::move(numbers)) {
        wait_.setSingleShot(true);
        QObject::connect(&wait_, &QTimer::timeout, &wait_, [this] { done(false); });
    }

    void next() {
        if (index_ >= numbers_.size()) {
            if (answered_ == 0) {
                complain(CtlText::tr("no board with address %1 answered on any port")
                             .arg(request_.address));
            }
            finish(answered_ > 0 ? exit_done : exit_no_answer);
            return;
        }
        const int number = numbers_[index_];
        settled_ = false;
        session::SessionEvents events;
        events.status = [this](std::uint8_t, link::RelayMap, const link::Frame&) { done(true); };
        trace_frames(events, request_.verbose);
        tell_dropped_answers(events);
        line_ = std::make_unique<session::SerialLine>(session::LineTarget{number, {}},
                                                      std::vector<std::uint8_t>{request_.address},
                                                      std::move(events));
        if (const auto failure = line_->open()) {
            print_port(request_, number,
                       {{QStringLiteral("answered"), false}, {QStringLiteral("error"), *failure}},
                       *failure);
            skip();
            return;
        }
        line_->session().send_once();  // exactly one status query
        wait_.start(probe_wait_ms);
    }

  private:
    void done(bool answered) {
        if (!line_ || settled_) return;
        settled_ = true;
        wait_.stop();
        if (answered) ++answered_;
        const QString outcome = answered ? QStringLiteral("board %1 answered").arg(request_.address)
                                         : QStringLiteral("no answer");
        print_port(request_, numbers_[index_], {{QStringLiteral("answered"), answered}}, outcome);
        skip();
    }
    // On to the next port from the event loop: this one's line goes first, never from inside
    // its own handler.
    void skip() {
        QMetaObject::invokeMethod(
            &wait_,
            [this] {
                line_.reset();
                ++index_;
                next();
            },
            Qt::QueuedConnection);
    }

    const Request& request_;
    std::vector<int> numbers_;
    std::size_t index_ = 0;
    int answered_ = 0;
    bool settled_ = false;  // this port's outcome is printed
    std::unique_ptr<session::SerialLine> line_;
    QTimer wait_;
};

}  // namespace

int run_ports(const Request& request) {
    const std::vector<int> numbers = port_numbers();
    if (numbers.empty()) {
        complain(CtlText::tr("no serial device found (is the board plugged in?)"));
        return request.probe ? exit_no_answer : exit_done;
    }
    if (!request.probe) {
        for (const int n : numbers) print_port(request, n, {}, {});
        return exit_done;
    }
    Prober prober(request, numbers);
    prober.next();
    return QCoreApplication::exec();
}

}  // namespace quellbox::ctl
