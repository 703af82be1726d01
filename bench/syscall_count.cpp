#include "syscall_count.h"

#include <signal.h>

#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace quellbox::bench {

bool have_strace() {
    return !QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty();
}

SyscallCount::SyscallCount(qint64 pid, const QString& out_path) : out_path_(out_path) {
    strace_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    strace_.start(QStringLiteral("strace"),
                  {QStringLiteral("-c"), QStringLiteral("-f"), QStringLiteral("-q"),
                   QStringLiteral("-o"), out_path, QStringLiteral("-p"), QString::number(pid)});
    strace_.waitForStarted();
}

SyscallCount::~SyscallCount() {
    stop();
}

std::map<QString, double> SyscallCount::stop() {
    std::map<QString, double> calls;
    if (strace_.state() == QProcess::NotRunning && strace_.processId() == 0) return calls;
    if (strace_.state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(strace_.processId()), SIGINT);  // detach and summarise
        if (!strace_.waitForFinished(10000)) {
            strace_.kill();
            strace_.waitForFinished();
        }
    }
    QFile file(out_path_);
    if (!file.open(QIODevice::ReadOnly)) return calls;
    // "% time seconds usecs/call calls [errors] syscall" rows between two dashed lines.
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QList<QByteArray> cols = raw.simplified().split(' ');
        if (cols.size() < 5 || cols.first().startsWith('-') || cols.first() == "%") continue;
        const QByteArray name = cols.last();
        if (name == "total") continue;
        bool ok = false;
        const double count = cols[3].toDouble(&ok);
        if (ok) calls[QString::fromLatin1(name)] = count;
    }
    return calls;
}

}  // namespace quellbox::bench
