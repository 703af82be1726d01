#include "process_counters.h"

#include <QDir>
#include <QFile>

#include "tools/time_units.h"

namespace quellbox::bench {

ProcessCounters read_counters(qint64 pid) {
    ProcessCounters out;
    out.t_us = tools::now_us();
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& thread : threads) {
        QFile schedstat(tasks + QLatin1Char('/') + thread + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly)) {
            out.cpu_seconds += schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        }
        QFile status(tasks + QLatin1Char('/') + thread + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:")) {
                out.voluntary_switches += line.mid(line.indexOf(':') + 1).trimmed().toULongLong();
            }
        }
    }
    out.valid = !threads.isEmpty();
    return out;
}

}  // namespace quellbox::bench
