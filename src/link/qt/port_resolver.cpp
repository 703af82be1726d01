#include "link/port_resolver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "link/port_naming.h"

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace quellbox::link {

namespace {

// The translation context of the descriptions below.
class PortText {
    Q_DECLARE_TR_FUNCTIONS(PortText)
};

#ifndef Q_OS_WIN
// Why a runtime folder given through XDG_RUNTIME_DIR is refused: Qt takes it only when it is
// a folder owned by this user with mode 0700.
QString why_unusable(const QString& given) {
    const QFileInfo info(given);
    if (!info.exists()) return PortText::tr("it does not exist");
    if (!info.isDir()) return PortText::tr("it is not a folder");
    if (info.ownerId() != static_cast<uint>(::geteuid()))
        return PortText::tr("it belongs to another user");
    const auto mode = static_cast<unsigned>(info.permissions());
    // Qt's permission bits: 0x7000 owner, 0x0070 group, 0x0007 others (0x0700 is the user's).
    const unsigned octal = ((mode >> 12) & 7U) << 6 | ((mode >> 4) & 7U) << 3 | (mode & 7U);
    if (octal != 0700)
        return PortText::tr("its mode is %1, not 0700").arg(octal, 4, 8, QLatin1Char('0'));
    return PortText::tr("Qt refuses it");
}

// The program's name for the start of a line: Qt's, or without an application object (the
// virtual board has none) the executable's.
QString program_name() {
    QString name = QCoreApplication::applicationName();
    if (!name.isEmpty()) return name;
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
}

// Once per program: when the runtime folder it was given cannot be used, port numbers would
// quietly resolve through links in another folder (or none), so the operator hears where.
void tell_if_runtime_folder_refused(const QString& base, const QString& folder) {
    static const bool told = [&] {
        const QString given = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (given.isEmpty() || QDir::cleanPath(given) == QDir::cleanPath(base)) return false;
        const QString instead =
            base.isEmpty() ? PortText::tr("no port links are read at all")
                           : PortText::tr("port links are read from %1 instead").arg(folder);
        const QString text =
            PortText::tr(
                "the runtime folder %1 (XDG_RUNTIME_DIR) cannot be used: %2; %3, so a "
                "port number may reach another device than the one linked there. Make "
                "it a folder of this user with mode 0700 (for a service: "
                "RuntimeDirectoryMode=0700).")
                .arg(given, why_unusable(given), instead);
        const QByteArray line = QStringLiteral("%1: %2\n").arg(program_name(), text).toUtf8();
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
        std::fflush(stderr);
        return true;
    }();
    (void)told;
}

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
    // Asked once: the environment does not change under a running program, and Qt repeats its
    // own complaint about a refused folder on every question.
    static const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString folder = base.isEmpty() ? QString() : base + QStringLiteral("/quellbox/ports");
#ifndef Q_OS_WIN
    tell_if_runtime_folder_refused(base, folder);
#endif
    return folder;
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
