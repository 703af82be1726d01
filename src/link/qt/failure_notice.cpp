#include "link/failure_notice.h"

#include <QCoreApplication>

namespace quellbox::link {

namespace {

// The translation context of every notice below.
class NoticeText {
    Q_DECLARE_TR_FUNCTIONS(NoticeText)
};

QString text_of(const std::string& text) {
    return QString::fromStdString(text);
}

QString holder_words(const std::optional<PortHolder>& holder) {
    if (!holder || holder->pid == 0) return {};
    if (holder->program.empty()) return NoticeText::tr("process %1").arg(holder->pid);
    return NoticeText::tr("%1 (process %2)").arg(text_of(holder->program)).arg(holder->pid);
}

FailureNotice no_permission(const QString& device, const std::optional<DeviceAccess>& access) {
    if (!access) {
        return {NoticeText::tr("You may not open %1.").arg(device),
                NoticeText::tr("Ask an administrator to let your user read and write it.")};
    }
    const QString facts = NoticeText::tr("You may not open %1 (owner %2, group %3, mode %4).")
                              .arg(device, text_of(access->owner), text_of(access->group))
                              .arg(access->mode, 4, 8, QLatin1Char('0'));
    if (access->group_may_use && access->listed_in_group) {
        return {facts,
                NoticeText::tr("You were added to the group %1 after logging in: log out and in "
                               "again.")
                    .arg(text_of(access->group))};
    }
    if (access->group_may_use && access->group != "root") {
        return {facts,
                NoticeText::tr("Join the group %1 (sudo usermod -aG %1 $USER), then log out and in "
                               "again.")
                    .arg(text_of(access->group))};
    }
    return {facts,
            NoticeText::tr("Only %1 may use it: ask an administrator to give it a group you can "
                           "join, with mode 0660 (a udev rule).")
                .arg(text_of(access->owner))};
}

}  // namespace

FailureNotice open_failure_notice(const OpenResult& result, const QString& port_text) {
    const QString device = text_of(result.device);
    switch (result.error) {
        case OpenError::none:
            break;
        case OpenError::no_such_port:
            // One rule for every text that reaches nothing: 0, -5, 40000, "abc" or a number
            // past the devices found.
            return {NoticeText::tr("Port %1 reaches no serial device.").arg(port_text.trimmed()),
                    NoticeText::tr(
                        "Enter a port number from 1 up; the port field's tooltip tells which "
                        "device a number reaches.")};
        case OpenError::missing:
            return {NoticeText::tr("%1 is not there.").arg(device),
                    NoticeText::tr("Plug the adapter in, then open the port again.")};
        case OpenError::busy: {
            const QString holder = holder_words(result.holder);
            return {holder.isEmpty()
                        ? NoticeText::tr("%1 is in use by another program.").arg(device)
                        : NoticeText::tr("%1 is in use by %2.").arg(device, holder),
                    NoticeText::tr("Close that program, then open the port again.")};
        }
        case OpenError::no_permission:
            return no_permission(device, result.access);
        case OpenError::stale_lock:
            return {NoticeText::tr("%1 is locked by %2, which has ended.")
                        .arg(device, holder_words(result.holder)),
                    NoticeText::tr(
                        "Remove the lock it left behind (sudo rm %1), then open the port again.")
                        .arg(text_of(result.lock_file))};
        case OpenError::other:
            break;
    }
    return {NoticeText::tr("%1 could not be opened as a serial port.").arg(device),
            NoticeText::tr("Check that it is a serial device, then open the port again.")};
}

FailureNotice loss_notice(const std::string& device, const std::string& reason) {
    return {NoticeText::tr("%1 went away; the port has been closed.").arg(text_of(device)),
            text_of(reason) + QLatin1Char(' ') +
                NoticeText::tr("Check the cable and the board's power, then open the port again.")};
}

}  // namespace quellbox::link
