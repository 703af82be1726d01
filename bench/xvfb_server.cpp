#include "xvfb_server.h"

namespace quellbox::bench {

XvfbServer::XvfbServer() {
    // -displayfd: the server picks a free display and writes its number once it is ready.
    process_.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!process_.waitForStarted(5000)) return;
    QByteArray number;
    while (!number.contains('\n') && process_.waitForReadyRead(10000)) {
        number += process_.readAllStandardOutput();
    }
    if (number.trimmed().isEmpty()) return;
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
}

XvfbServer::~XvfbServer() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

}  // namespace quellbox::bench
