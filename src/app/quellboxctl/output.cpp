#include "output.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace quellbox::ctl {

void print_line(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void print_json(const QJsonObject& object) {
    print_line(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void complain(const QString& message) {
    const QByteArray bytes =
        (QStringLiteral("quellboxctl: ") + message + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

QString frame_hex(const link::Frame& frame, const char* separator) {
    QString out;
    for (const std::uint8_t byte : frame) {
        if (!out.isEmpty()) out += QLatin1String(separator);
        out += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString time_stamp() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString state_word(bool energized) {
    return energized ? QStringLiteral("on") : QStringLiteral("off");
}

QJsonObject status_json(std::uint8_t address, const QString& device, link::RelayMap relays,
                        const link::Frame& frame) {
    QJsonArray channels;
    for (int channel = 1; channel <= link::channel_count; ++channel) {
        channels.append(link::is_energized(relays, channel));
    }
    return QJsonObject{{QStringLiteral("address"), address},
                       {QStringLiteral("device"), device},
                       {QStringLiteral("channels"), channels},
                       {QStringLiteral("frame"), frame_hex(frame, "")}};
}

void print_status_lines(link::RelayMap relays) {
    for (int channel = 1; channel <= link::channel_count; ++channel) {
        print_line(QStringLiteral("%1 %2").arg(channel).arg(
            state_word(link::is_energized(relays, channel))));
    }
}

}  // namespace quellbox::ctl
