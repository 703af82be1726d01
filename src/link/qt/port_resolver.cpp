#include "link/port_resolver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>
#include <algorithm>
#include <string>
#include <vector>

#include "link/port_naming.h"

namespace quellbox::link {

namespace {

// The translation context of the descriptions below.
class PortText {
    Q_DECLARE_TR_FUNCTIONS(PortText)
};

#ifndef Q_OS_WIN
QString link_description(const QString& target, int number) {
    const QString tag = QString::fromStdString(port_link_name(number));
    // A pseudo-terminal behind one of our links is, in practice, the virtual board.
    if (target.startsWith(QLatin1String("/dev/pts/"))) {
        return PortText::tr("virtual board, %1").arg(tag);
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == target && !info.description().isEmpty()) {
            return PortText::tr("%1, link %2").arg(info.description(), tag);
        }
    }
    return PortText::tr("link %1").arg(tag);
}

std::optional<ResolvedPort> resolve_link(int number) {
    const QString folder = runtime_ports_folder();
    if (folder.isEmpty()) return std::nullopt;
    const QString name = QString::fromStdString(port_link_name(number));
    const QFileInfo link(folder + QLatin1Char('/') + name);
    if (!link.isSymLink()) {
        // A plain device node or file put there by hand is taken as it is.
        if (!link.exists()) return std::nullopt;
        return ResolvedPort{link.absoluteFilePath(), name, true};
    }
    // Open the real device, not the link: Qt derives its lock file from the path it opens, so
    // two programs reaching one tty through different names must still meet at one lock.
    // A dangling link keeps its target, and opening that reports the device as missing.
    const QString canonical = link.canonicalFilePath();
    const QString target = canonical.isEmpty() ? link.symLinkTarget() : canonical;
    return ResolvedPort{target, link_description(target, number), true};
}
#endif

}  // namespace

QString runtime_ports_folder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty()) return {};
    return base + QStringLiteral("/quellbox/ports");
}

std::optional<ResolvedPort> resolve_port(int number) {
    if (number <= 0) return std::nullopt;
#ifdef Q_OS_WIN
    const QString name = QString::fromStdString(*windows_port_name(number));
    return ResolvedPort{name, QSerialPortInfo(name).description()};
#else
    if (auto linked = resolve_link(number)) return linked;

    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    std::vector<std::string> names;
    names.reserve(infos.size());
    for (const QSerialPortInfo& info : infos) names.push_back(info.portName().toStdString());
    const std::vector<std::string> ordered = order_port_names(std::move(names));
    if (static_cast<std::size_t>(number) > ordered.size()) return std::nullopt;

    const QString name = QString::fromStdString(ordered[number - 1]);
    const auto it = std::find_if(infos.begin(), infos.end(), [&](const QSerialPortInfo& info) {
        return info.portName() == name;
    });
    return ResolvedPort{it->systemLocation(), it->description()};
#endif
}

QString describe_port(int number) {
    const auto port = resolve_port(number);
    if (!port) return PortText::tr("%1 -> no serial device").arg(number);
    if (port->description.isEmpty())
        return QStringLiteral("%1 -> %2").arg(number).arg(port->device);
    return QStringLiteral("%1 -> %2, %3").arg(number).arg(port->device, port->description);
}

}  // namespace quellbox::link
