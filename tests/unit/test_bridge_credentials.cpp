// The broker login: from a file (user name, then password) or from the environment, never
// half of it. A login read wrongly locks the bridge out or, worse, logs in as someone else.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <variant>

#include "credentials.h"

namespace quellbox::mqtt {
namespace {

class CredentialsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qunsetenv("QUELLBOX_MQTT_USERNAME");
        qunsetenv("QUELLBOX_MQTT_PASSWORD");
    }
    void TearDown() override {
        qunsetenv("QUELLBOX_MQTT_USERNAME");
        qunsetenv("QUELLBOX_MQTT_PASSWORD");
    }

    QString file(const QByteArray& text) const {
        const QString path = dir.filePath(QStringLiteral("login"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return path;
    }

    static std::optional<Credentials> loaded(const QString& path) {
        auto result = load_credentials(path);
        if (const auto* problem = std::get_if<QString>(&result)) {
            ADD_FAILURE() << "refused: " << problem->toStdString();
            return std::nullopt;
        }
        return std::get<std::optional<Credentials>>(result);
    }

    static QString refused(const QString& path) {
        const auto result = load_credentials(path);
        const auto* problem = std::get_if<QString>(&result);
        EXPECT_NE(problem, nullptr) << "accepted";
        return problem != nullptr ? *problem : QString();
    }

    QTemporaryDir dir;
};

TEST_F(CredentialsTest, AFileGivesTheFirstLineAsUserAndTheSecondAsPasswordWithoutLineEnds) {
    const auto unix_lines = loaded(file("bridge\ns3cret pass\n"));
    ASSERT_TRUE(unix_lines);
    EXPECT_EQ(unix_lines->username, "bridge");
    EXPECT_EQ(unix_lines->password, "s3cret pass") << "inner blanks belong to the password";

    const auto windows_lines = loaded(file("bridge\r\npw\r\n"));
    ASSERT_TRUE(windows_lines);
    EXPECT_EQ(windows_lines->username, "bridge");
    EXPECT_EQ(windows_lines->password, "pw");

    const auto no_password = loaded(file("bridge"));
    ASSERT_TRUE(no_password);
    EXPECT_EQ(no_password->password, "");
}

TEST_F(CredentialsTest, AFileWithoutUserNameOrThatCannotBeReadIsRefusedByName) {
    EXPECT_TRUE(refused(file("\npassword\n")).contains(dir.filePath(QStringLiteral("login"))));
    refused(file(""));
    const QString missing = dir.filePath(QStringLiteral("missing"));
    EXPECT_TRUE(refused(missing).contains(missing));
}

TEST_F(CredentialsTest, TheEnvironmentGivesBothOrNothingAndAFileWinsOverIt) {
    EXPECT_FALSE(loaded(QString()).has_value()) << "no login at all is anonymous";

    qputenv("QUELLBOX_MQTT_USERNAME", "env-user");
    qputenv("QUELLBOX_MQTT_PASSWORD", "env-pw");
    const auto from_environment = loaded(QString());
    ASSERT_TRUE(from_environment);
    EXPECT_EQ(from_environment->username, "env-user");
    EXPECT_EQ(from_environment->password, "env-pw");

    const auto from_file = loaded(file("file-user\nfile-pw\n"));
    ASSERT_TRUE(from_file);
    EXPECT_EQ(from_file->username, "file-user");
    EXPECT_EQ(from_file->password, "file-pw");

    qunsetenv("QUELLBOX_MQTT_USERNAME");
    EXPECT_TRUE(refused(QString()).contains(QStringLiteral("QUELLBOX_MQTT_USERNAME")))
        << "a password alone must not log in anonymously";
}

}  // namespace
}  // namespace quellbox::mqtt
