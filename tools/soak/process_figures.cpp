#include "process_figures.h"

#include <sys/resource.h>

#include <QByteArray>
#include <QFile>
#include <string>

#include "tools/time_units.h"

namespace quellbox::soak {

namespace {

using tools::seconds;

long status_kib(const QByteArray& status, const char* field) {
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(std::char_traits<char>::length(field)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLong();
        }
    }
    return 0;
}

constexpr const char* caption_close_port = "关闭串口";

}  // namespace

ProcessFigures process_figures() {
    ProcessFigures figures;
    QFile file(QStringLiteral("/proc/self/status"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray status = file.readAll();
        figures.rss_kib = status_kib(status, "VmRSS:");
        figures.hwm_kib = status_kib(status, "VmHWM:");
    }
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    figures.cpu_s = seconds(self.ru_utime) + seconds(self.ru_stime);
    if (figures.hwm_kib == 0) figures.hwm_kib = self.ru_maxrss;
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    figures.children_cpu_s = seconds(children.ru_utime) + seconds(children.ru_stime);
    return figures;
}

}  // namespace quellbox::soak
