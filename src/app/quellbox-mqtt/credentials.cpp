#include "credentials.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "bridge_log.h"

namespace quellbox::mqtt {

namespace {

std::string without_line_end(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line.toStdString();
}

std::variant<std::optional<Credentials>, QString> from_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return BridgeText::tr("cannot read the credentials file %1: %2")
            .arg(path, file.errorString());
    }
    if (file.permissions() & QFileDevice::ReadOther) {
        log_line(BridgeText::tr("warning: every user of this machine may read the credentials "
                                "file %1; make it readable only by the service (chmod 640)")
                     .arg(path));
    }
    Credentials c;
    c.username = without_line_end(file.readLine());
    c.password = without_line_end(file.readLine());
    if (c.username.empty()) {
        return BridgeText::tr("the credentials file %1 has no user name on its first line")
            .arg(path);
    }
    return std::optional<Credentials>(std::move(c));
}

}  // namespace

std::variant<std::optional<Credentials>, QString> load_credentials(const QString& file) {
    if (!file.isEmpty()) return from_file(file);
    const char* user = std::getenv("QUELLBOX_MQTT_USERNAME");
    const char* password = std::getenv("QUELLBOX_MQTT_PASSWORD");
    if (user == nullptr || *user == '\0') {
        if (password != nullptr) {
            return BridgeText::tr(
                "QUELLBOX_MQTT_PASSWORD is set but QUELLBOX_MQTT_USERNAME is "
                "not; set both or neither");
        }
        return std::optional<Credentials>();
    }
    return std::optional<Credentials>(Credentials{user, password != nullptr ? password : ""});
}

}  // namespace quellbox::mqtt
