#include "bridge_log.h"

#include <cstdio>

namespace quellbox::mqtt {

void log_line(const QString& text) {
    const QByteArray line = QStringLiteral("quellbox-mqtt: %1\n").arg(text).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QString printable(std::string_view text, std::size_t limit) {
    QString out;
    const std::size_t shown = std::min(text.size(), limit);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        }
    }
    if (shown < text.size()) out += QStringLiteral("...");
    return out;
}

}  // namespace quellbox::mqtt
