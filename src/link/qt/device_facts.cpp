#include "device_facts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#ifndef Q_OS_WIN
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace quellbox::link {

namespace {

#ifndef Q_OS_WIN
// The program name of a running process: the file name it was started as, which any user may
// read, else the kernel's name for it (cut to 15 characters).
std::string program_of(std::int64_t pid) {
    QFile command_line(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (command_line.open(QIODevice::ReadOnly)) {
        const QByteArray first = command_line.read(4096).split('\0').value(0);
        const QString name = QFileInfo(QString::fromLocal8Bit(first)).fileName();
        if (!name.isEmpty()) return name.toStdString();
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return comm.readAll().trimmed().toStdString();
}

std::string user_name(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid)) return entry->pw_name;
    return std::to_string(uid);
}

std::string group_name(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) return entry->gr_name;
    return std::to_string(gid);
}

bool process_has_group(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    }
    return false;
}

// The user is listed as a member in the group database (a login after `usermod -aG` gets it).
bool user_listed_in_group(gid_t gid) {
    const passwd* me = ::getpwuid(::geteuid());
    if (me == nullptr) return false;
    if (me->pw_gid == gid) return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(me->pw_name, me->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(me->pw_name, me->pw_gid, groups.data(), &count) < 0) return false;
    }
    for (int i = 0; i < count; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    }
    return false;
}
#endif

}  // namespace

QString lock_file_of(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return {};
#else
    // QSerialPort's own rule (Qt 6): the port name is the path without "/dev/", slashes become
    // underscores, and the file goes into the first folder of this list that is readable and
    // either writable or already holds the file.
    static const QStringList folders = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation),
    };
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/"))) name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.prepend(QLatin1String("/LCK.."));
    for (const QString& folder : folders) {
        QString path = folder + name;
        const QFileInfo info(folder);
        if (info.isReadable() && (QFile::exists(path) || info.isWritable())) return path;
    }
    return {};
#endif
}

std::optional<PortHolder> lock_file_holder(const QString& lock_file) {
    QFile file(lock_file);
    if (lock_file.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    // QLockFile writes the pid on the first line and the program's name on the second.
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool number = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&number);
    if (!number || pid <= 0) return std::nullopt;
    PortHolder holder{{}, pid};
#ifndef Q_OS_WIN
    holder.program = program_of(pid);
#endif
    if (holder.program.empty()) holder.program = lines.value(1).trimmed().toStdString();
    return holder;
}

bool process_has_ended(std::int64_t pid) {
#ifdef Q_OS_WIN
    Q_UNUSED(pid);
    return false;
#else
    if (pid <= 0) return false;
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

std::optional<PortHolder> process_holding(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return std::nullopt;
#else
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty()) return std::nullopt;
    const qint64 self = ::getpid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : pids) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == self) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == target) return PortHolder{program_of(pid), pid};
        }
    }
    return std::nullopt;
#endif
}

std::optional<DeviceAccess> device_access(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return std::nullopt;
#else
    struct stat facts {};
    if (::stat(QFile::encodeName(device).constData(), &facts) != 0) return std::nullopt;
    DeviceAccess access;
    access.owner = user_name(facts.st_uid);
    access.group = group_name(facts.st_gid);
    access.mode = facts.st_mode & 07777U;
    access.group_may_use = (facts.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.listed_in_group = !process_has_group(facts.st_gid) && user_listed_in_group(facts.st_gid);
    return access;
#endif
}

}  // namespace quellbox::link
