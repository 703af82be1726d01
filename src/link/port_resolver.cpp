#include "link/port_resolver.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>
#include <algorithm>

namespace quellbox::link {

namespace {

bool is_usb_adapter(const QString& name) {
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

// Compares two runs of decimal digits by value without converting them, so that no length of
// run can overflow. Equal values with more leading zeros sort after the shorter spelling.
int compare_digit_runs(QStringView a, QStringView b) {
    auto strip = [](QStringView s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i] == u'0') ++i;
        return s.mid(i);
    };
    const QStringView sa = strip(a);
    const QStringView sb = strip(b);
    if (sa.size() != sb.size()) return sa.size() < sb.size() ? -1 : 1;
    if (const int c = sa.compare(sb); c != 0) return c < 0 ? -1 : 1;
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

qsizetype digit_run_end(const QString& s, qsizetype from) {
    while (from < s.size() && s[from].isDigit()) ++from;
    return from;
}

#ifndef Q_OS_WIN
QString link_description(const QString& target, int number) {
    const QString tag = QStringLiteral("com%1").arg(number);
    // A pseudo-terminal behind one of our links is, in practice, the virtual board.
    if (target.startsWith(QLatin1String("/dev/pts/"))) {
        return QStringLiteral("virtual board, %1").arg(tag);
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == target && !info.description().isEmpty()) {
            return QStringLiteral("%1, link %2").arg(info.description(), tag);
        }
    }
    return QStringLiteral("link %1").arg(tag);
}

std::optional<ResolvedPort> resolve_link(int number) {
    const QString folder = runtime_ports_folder();
    if (folder.isEmpty()) return std::nullopt;
    const QFileInfo link(folder + QStringLiteral("/com%1").arg(number));
    if (!link.isSymLink()) {
        // A plain device node or file put there by hand is taken as it is.
        if (!link.exists()) return std::nullopt;
        return ResolvedPort{link.absoluteFilePath(), QStringLiteral("com%1").arg(number)};
    }
    // Open the real device, not the link: Qt derives its lock file from the path it opens, so
    // two programs reaching one tty through different names must still meet at one lock.
    // A dangling link keeps its target, and opening that reports the device as missing.
    const QString canonical = link.canonicalFilePath();
    const QString target = canonical.isEmpty() ? link.symLinkTarget() : canonical;
    return ResolvedPort{target, link_description(target, number)};
}
#endif

}  // namespace

bool natural_less(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype ei = digit_run_end(a, i);
            const qsizetype ej = digit_run_end(b, j);
            const int c =
                compare_digit_runs(QStringView(a).mid(i, ei - i), QStringView(b).mid(j, ej - j));
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return (a.size() - i) < (b.size() - j);
}

QStringList order_port_names(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const bool usb_a = is_usb_adapter(a);
        const bool usb_b = is_usb_adapter(b);
        if (usb_a != usb_b) return usb_a;
        return natural_less(a, b);
    });
    return names;
}

QString runtime_ports_folder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty()) return {};
    return base + QStringLiteral("/quellbox/ports");
}

std::optional<ResolvedPort> resolve_port(int number) {
    if (number <= 0) return std::nullopt;
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("COM%1").arg(number);
    return ResolvedPort{name, QSerialPortInfo(name).description()};
#else
    if (auto linked = resolve_link(number)) return linked;

    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    QStringList names;
    names.reserve(infos.size());
    for (const QSerialPortInfo& info : infos) names.append(info.portName());
    const QStringList ordered = order_port_names(names);
    if (number > ordered.size()) return std::nullopt;

    const QString& name = ordered[number - 1];
    const auto it = std::find_if(infos.begin(), infos.end(), [&](const QSerialPortInfo& info) {
        return info.portName() == name;
    });
    return ResolvedPort{it->systemLocation(), it->description()};
#endif
}

QString describe_port(int number) {
    const auto port = resolve_port(number);
    if (!port) return QStringLiteral("%1 -> no serial device").arg(number);
    if (port->description.isEmpty())
        return QStringLiteral("%1 -> %2").arg(number).arg(port->device);
    return QStringLiteral("%1 -> %2, %3").arg(number).arg(port->device, port->description);
}

}  // namespace quellbox::link
