// quellboxctl as scripts use it: the real program as a child process against the virtual board
// (or a board the test plays itself) on a pty, judged by its exit status and what it prints.

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <thread>

#include "e2e_support.h"
#include "link/frames.h"
#include "link/qt_serial_port.h"

namespace quellbox::e2e {
namespace {

using Outcome = ProgramOutcome;

// Runs quellboxctl to its end, keeping the event loop running (a held port may need it).
Outcome ctl(const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    return run_program(QStringLiteral(QUELLBOX_CTL), arguments, environment);
}

QJsonObject json_of(const QString& line) {
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

// The channels of a status --json answer as a relay map, bit 0 = channel 1.
int relays_of(const Outcome& status) {
    const QJsonArray channels = json_of(status.out).value("channels").toArray();
    int relays = 0;
    for (int i = 0; i < channels.size(); ++i) relays |= channels[i].toBool() ? 1 << i : 0;
    return channels.size() == 16 ? relays : -1;
}

// A running `quellboxctl watch`, read line by line as it prints.
class Watch {
  public:
    explicit Watch(const QStringList& arguments) {
        process_.start(QStringLiteral(QUELLBOX_CTL), QStringList{"watch"} + arguments);
    }
    ~Watch() {
        if (process_.state() != QProcess::NotRunning) process_.kill();
        process_.waitForFinished();
    }
    bool wait_for(const QString& text, int count = 1) {
        return wait_until([&] {
            out_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
            return out_.count(text) >= count;
        });
    }
    int stop(int signal_number) {
        ::kill(static_cast<pid_t>(process_.processId()), signal_number);
        return end();
    }
    int end() {
        wait_until([&] { return process_.state() == QProcess::NotRunning; });
        out_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    const QString& out() const { return out_; }
    QStringList lines() const { return out_.split('\n', Qt::SkipEmptyParts); }

  private:
    QProcess process_;
    QString out_;
};

TEST(Quellboxctl, ReadsAndSwitchesTheBoardAndConfirmsEveryCommand) {
    BoardSim sim({"--initial", "0005"});
    const Outcome text = ctl({"status"});
    EXPECT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith("1 on\n2 off\n3 on\n4 off\n")) << text.out.toStdString();
    EXPECT_EQ(text.out.count('\n'), 16);

    const Outcome json = ctl({"status", "--json", "--device", sim.slave_path()});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json_of(json.out).value("frame").toString(), "2201000000000528");
    EXPECT_EQ(json_of(json.out).value("address").toInt(), 1);
    EXPECT_EQ(json_of(json.out).value("device").toString(), sim.slave_path());
    EXPECT_EQ(relays_of(json), 0x0005);

    struct Step {
        QStringList arguments;
        int relays_after;
    };
    for (const Step& step : {Step{{"on", "5", "16"}, 0x8015}, Step{{"off", "1"}, 0x8014},
                             Step{{"toggle", "3", "4"}, 0x8018}, Step{{"all", "on"}, 0xFFFF},
                             Step{{"--port", "1", "all", "off"}, 0x0000}}) {
        const Outcome done = ctl(step.arguments);
        EXPECT_EQ(done.status, 0) << step.arguments.join(' ').toStdString() << ": "
                                  << done.err.toStdString();
        EXPECT_TRUE(done.out.isEmpty()) << "quiet on success";
        EXPECT_EQ(relays_of(ctl({"status", "--json"})), step.relays_after)
            << step.arguments.join(' ').toStdString();
    }
    const Outcome verbose = ctl({"on", "2", "--verbose"});
    EXPECT_EQ(verbose.out, "2 on\n");
    EXPECT_TRUE(verbose.err.contains("> 55 01 12 00 00 00 02 6a")) << verbose.err.toStdString();
    EXPECT_EQ(relays_of(ctl({"toggle", "2", "--json"})), 0x0000);
}

TEST(Quellboxctl, BadArgumentsAreRefusedWithStatus2BeforeAnythingReachesTheLine) {
    BoardSim sim({});
    const QList<QStringList> refused = {
        {},
        {"on"},
        {"on", "0"},
        {"on", "17"},
        {"off", "1.5"},
        {"toggle", "+3"},
        {"on", "3", "--address", "256"},
        {"status", "--address", "0x01"},
        {"status", "--port", "0"},
        {"status", "--port", "1", "--device", "/dev/null"},
        {"status", "--reconnect"},
        {"watch", "--timeout", "100"},
        {"all"},
        {"all", "up"},
        {"status", "extra"},
        {"flip", "3"},
        {"status", "--no-such-option"},
    };
    for (const QStringList& arguments : refused) {
        const Outcome outcome = ctl(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.out.isEmpty());
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.startsWith("quellboxctl: "));
    }
    settle(100ms);
    EXPECT_EQ(sim.count_lines("rx "), 0);
    const Outcome help = ctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("Exit status:"));
}

TEST(Quellboxctl, BoardsThatDoNotDoTheirJobGiveTheirOwnStatus) {
    {
        BoardSim silent({"--silent"});
        EXPECT_EQ(ctl({"status"}).status, 4);
        const Outcome on = ctl({"on", "1"});
        EXPECT_EQ(on.status, 4);
        EXPECT_TRUE(on.err.contains("did not answer")) << on.err.toStdString();
    }
    {
        BoardSim stuck({"--ignore-commands", "--initial", "0001"});
        const Outcome on = ctl({"on", "3", "--timeout", "300"});
        EXPECT_EQ(on.status, 5);
        EXPECT_TRUE(on.err.contains("channel 3 is off, asked on")) << on.err.toStdString();
        EXPECT_EQ(ctl({"off", "1", "--timeout", "300"}).status, 5);
        EXPECT_EQ(ctl({"on", "1"}).status, 0);  // already so, and the board says so
    }
}

TEST(Quellboxctl, CorruptingAndDroppingLineStillGivesTheTruth) {
    BoardSim sim({"--seed", "11", "--corrupt-rate", "0.2", "--drop-rate", "0.15", "--extra-rate",
                  "0.15", "--bad-header-rate", "0.1"});
    int expected = 0;
    for (int channel = 1; channel <= 6; ++channel) {
        const Outcome on = ctl({"on", QString::number(channel), "--json"});
        ASSERT_EQ(on.status, 0) << on.err.toStdString();
        expected |= 1 << (channel - 1);
        EXPECT_EQ(relays_of(on), expected);
        EXPECT_EQ(relays_of(ctl({"status", "--json"})), expected);
    }
    EXPECT_GT(sim.count_lines("fault "), 0);  // the line really was bad
}

TEST(Quellboxctl, PortsThatCannotBeOpenedGiveStatus3NamingTheCause) {
    BoardSim sim({});
    const Outcome none = ctl({"status", "--port", "9"});
    EXPECT_EQ(none.status, 3);
    EXPECT_TRUE(none.err.contains("quellboxctl ports")) << none.err.toStdString();
    EXPECT_EQ(ctl({"status", "--device", "/dev/quellbox-none"}).status, 3);

    link::QtSerialPort holder;  // what a window that opened the port does
    holder.set_comm_port(1);
    ASSERT_TRUE(holder.open().ok());
    const Outcome busy = ctl({"on", "1"});
    EXPECT_EQ(busy.status, 3);
    // The holder is this test program, named by its lock file.
    EXPECT_TRUE(busy.err.contains("is in use by " +
                                  QFileInfo(QCoreApplication::applicationFilePath()).fileName()))
        << busy.err.toStdString();
    holder.close();
    EXPECT_EQ(sim.count_lines("rx "), 0);
}

// The test plays the board on a bare pty: it answers what it chooses, then falls silent.
TEST(Quellboxctl, WatchPrintsEachChangeTheSilenceAndTheRecoveryUntilSigterm) {
    PtyPair line;
    Watch watch({"--device", line.slave_path(), "--address", "7"});
    auto answer = [&](std::uint16_t relays, int frames) {
        for (int i = 0; i < frames; ++i) {
            const Bytes asked = line.read(8);  // and whatever else waits
            ASSERT_GE(asked.size(), 8U);
            EXPECT_EQ(asked[asked.size() - 7], 7);
            // As on a real line: the question and then the answer each need their time on
            // the wire; an answer sooner than that would be taken for a late one.
            std::this_thread::sleep_for(17ms);
            const link::Frame reply = link::build_status_frame(7, relays);
            line.write(Bytes(reply.begin(), reply.end()));
        }
    };
    answer(0x0001, 3);
    ASSERT_TRUE(watch.wait_for("channel 16 off"));
    answer(0x0003, 2);
    ASSERT_TRUE(watch.wait_for("channel 2 on"));
    ASSERT_TRUE(watch.wait_for("not known"));  // no answers from here on
    answer(0x0002, 1);
    ASSERT_TRUE(watch.wait_for("channel 1 off"));
    EXPECT_EQ(watch.stop(SIGTERM), 0);

    QStringList events;
    for (const QString& l : watch.lines()) events << l.section(' ', 1);  // without the time
    QStringList expected{"board 7 answering"};
    for (int n = 1; n <= 16; ++n)
        expected << QString("channel %1 %2").arg(n).arg(n == 1 ? "on" : "off");
    expected << "channel 2 on"
             << "board 7 not known (no answer for six polls)"
             << "board 7 answering again"
             << "channel 1 off";
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(
        watch.lines().front().contains(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT[0-9:.]+Z ")));
}

TEST(Quellboxctl, WatchEndsWithStatus6WhenTheDeviceGoesUnlessToldToReconnect) {
    BoardSim sim({"--hangup-after", "4", "--reopen-ms", "300"});
    {
        Watch plain({});
        EXPECT_EQ(plain.end(), 6);
        EXPECT_TRUE(plain.out().contains("port lost")) << plain.out().toStdString();
    }
    ASSERT_TRUE(sim.wait_for_line("reopen "));  // the board is back before the next watch
    Watch lasting({"--reconnect", "--json"});
    ASSERT_TRUE(lasting.wait_for("\"reopened\""));
    ASSERT_TRUE(lasting.wait_for("\"answering\"", 2));
    EXPECT_EQ(lasting.stop(SIGINT), 0);
    QStringList events;
    for (const QString& l : lasting.lines()) {
        const QJsonObject event = json_of(l);
        EXPECT_FALSE(event.value("time").toString().isEmpty()) << l.toStdString();
        if (event.contains("event")) events << event.value("event").toString();
    }
    EXPECT_EQ(events.mid(0, 4), (QStringList{"answering", "lost", "reopened", "answering"}));
}

TEST(Quellboxctl, PortsListsTheDevicesAndProbeFindsTheBoard) {
    BoardSim first({});
    BoardSim second({"--port", "2", "--address", "5"});
    const Outcome list = ctl({"ports"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.contains("1 -> " + first.slave_path() + ", virtual board, com1"))
        << list.out.toStdString();
    EXPECT_TRUE(list.out.contains("2 -> " + second.slave_path() + ", virtual board, com2"));

    const Outcome probe = ctl({"ports", "--probe", "--address", "5"});
    EXPECT_EQ(probe.status, 0);
    EXPECT_TRUE(probe.out.contains("com1: no answer")) << probe.out.toStdString();
    EXPECT_TRUE(probe.out.contains("com2: board 5 answered"));
    EXPECT_EQ(second.count_lines("rx "), 1);  // one query per device, no more
    EXPECT_EQ(ctl({"ports", "--probe", "--address", "9"}).status, 4);
}

// A runtime folder others may read is refused by Qt, which then reads port links from a folder
// of its own choosing: the program says so once, naming both, instead of quietly resolving
// port numbers elsewhere. A private folder gets no such word.
TEST(Quellboxctl, SaysOnceWhenTheRuntimeFolderItWasGivenCannotBeUsed) {
    BoardSim sim({});
    const Outcome fine = ctl({"ports"});
    EXPECT_EQ(fine.status, 0);
    EXPECT_FALSE(fine.err.contains("XDG_RUNTIME_DIR")) << fine.err.toStdString();

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString shared = scratch.filePath("shared");
    ASSERT_TRUE(QDir().mkpath(shared + "/quellbox/ports"));
    ASSERT_TRUE(QFile::setPermissions(
        shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    ASSERT_TRUE(QFile::link(sim.slave_path(), shared + "/quellbox/ports/com7"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", shared);
    // Qt's own fallback lies under the temporary folder.
    environment.insert("TMPDIR", scratch.path());
    const Outcome refused = ctl({"ports"}, environment);
    EXPECT_EQ(refused.status, 0);
    const QString told = "the runtime folder " + shared + " (XDG_RUNTIME_DIR) cannot be used";
    EXPECT_EQ(refused.err.count(told), 1) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("its mode is 0755, not 0700")) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QRegularExpression("port links are read from " +
                                                        QRegularExpression::escape(scratch.path()) +
                                                        "/[^ ]+/quellbox/ports")))
        << refused.err.toStdString();
    EXPECT_FALSE(refused.out.contains("com7")) << refused.out.toStdString();
}

}  // namespace
}  // namespace quellbox::e2e
