// The companion programs in a Chinese locale, as a script on such a machine meets them: their
// words for people (errors on stderr, --help) follow the locale, and what they print as data
// (status lines, watch lines, JSON) reads exactly as in English. The real programs as child
// processes against the virtual board on a pty.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "e2e_support.h"

namespace quellbox::e2e {
namespace {

using Outcome = ProgramOutcome;

// The locale of a Chinese desktop, and nothing that would pick a language otherwise.
QProcessEnvironment chinese_locale() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "QUELLBOX_LANGUAGE"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    return environment;
}

Outcome ctl(const QStringList& arguments) {
    return run_program(QStringLiteral(QUELLBOX_CTL), arguments, chinese_locale());
}

TEST(CompanionLanguage, DataReadsTheSameInAChineseLocale) {
    BoardSim sim({QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--initial"),
                  QStringLiteral("0005")});
    const Outcome lines = ctl({QStringLiteral("status")});
    ASSERT_EQ(lines.status, 0) << lines.err.toStdString();
    EXPECT_TRUE(lines.out.startsWith(QStringLiteral("1 on\n2 off\n3 on\n4 off\n")))
        << lines.out.toStdString();

    const Outcome json = ctl({QStringLiteral("--json"), QStringLiteral("status")});
    ASSERT_EQ(json.status, 0);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object.value(QStringLiteral("address")).toInt(), 1);
    EXPECT_EQ(QJsonDocument(object.value(QStringLiteral("channels")).toArray())
                  .toJson(QJsonDocument::Compact),
              QByteArray("[true,false,true,false,false,false,false,false,false,false,false,"
                         "false,false,false,false,false]"));

    const Outcome listing = ctl({QStringLiteral("ports")});
    EXPECT_TRUE(listing.out.contains(QStringLiteral("1 -> ") + sim.slave_path() +
                                     QStringLiteral(", virtual board, com1")))
        << listing.out.toStdString();

    QProcess watch;
    watch.setProcessEnvironment(chinese_locale());
    watch.start(QStringLiteral(QUELLBOX_CTL), {QStringLiteral("watch")});
    QString watched;
    EXPECT_TRUE(wait_until([&] {
        watched += QString::fromUtf8(watch.readAllStandardOutput());
        return watched.contains(QStringLiteral(" channel 3 on\n"));
    })) << watched.toStdString();
    EXPECT_TRUE(watched.contains(QStringLiteral(" board 1 answering\n")));
    watch.terminate();
    watch.waitForFinished();
}

TEST(CompanionLanguage, MessagesForPeopleFollowTheLocale) {
    const Outcome bad = ctl({QStringLiteral("on"), QStringLiteral("17")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("整数"))) << bad.err.toStdString();
    EXPECT_TRUE(bad.out.isEmpty());

    const Outcome help = ctl({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("退出状态"))) << help.out.toStdString();

    QProcessEnvironment english = chinese_locale();
    english.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en_GB:en"));
    const Outcome asked = run_program(QStringLiteral(QUELLBOX_CTL),
                                      {QStringLiteral("on"), QStringLiteral("17")}, english);
    EXPECT_TRUE(asked.err.contains(QStringLiteral("whole number"))) << asked.err.toStdString();

    const Outcome bridge = run_program(QStringLiteral(QUELLBOX_MQTT),
                                       {QStringLiteral("--port"), QStringLiteral("2"),
                                        QStringLiteral("--device"), QStringLiteral("/dev/ttyUSB0")},
                                       chinese_locale());
    EXPECT_EQ(bridge.status, 2);
    EXPECT_TRUE(bridge.err.contains(QStringLiteral("只能给一个"))) << bridge.err.toStdString();
}

}  // namespace
}  // namespace quellbox::e2e
