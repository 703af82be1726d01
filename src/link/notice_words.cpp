#include "link/notice_words.h"

#include <cstdio>

// Marks a source sentence for Qt's lupdate, which files it under the context named, while the
// program itself passes it to the lookup it was given.
#define QT_TRANSLATE_NOOP(context, source) source

namespace quellbox::link {

namespace {

constexpr const char* context = "NoticeText";

struct Words {
    const Translate& translate;
    std::string operator()(const char* source) const { return translate(context, source); }
};

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string holder_words(const std::optional<PortHolder>& holder, const Words& words) {
    if (!holder || holder->pid == 0) return {};
    const std::string pid = std::to_string(holder->pid);
    if (holder->program.empty())
        return fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "process %1")), {pid});
    return fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "%1 (process %2)")),
                   {holder->program, pid});
}

std::string octal_mode(unsigned mode) {
    char text[16];
    std::snprintf(text, sizeof text, "%04o", mode);
    return text;
}

NoticeWords no_permission(const std::string& device, const std::optional<DeviceAccess>& access,
                          const Words& words) {
    if (!access) {
        return {fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "You may not open %1.")), {device}),
                words(QT_TRANSLATE_NOOP(
                    "NoticeText", "Ask an administrator to let your user read and write it."))};
    }
    std::string facts =
        fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                        "You may not open %1 (owner %2, group %3, mode %4).")),
                {device, access->owner, access->group, octal_mode(access->mode)});
    if (access->group_may_use && access->listed_in_group) {
        return {std::move(facts),
                fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                                "You were added to the group %1 after logging in: "
                                                "log out and in again.")),
                        {access->group})};
    }
    if (access->group_may_use && access->group != "root") {
        return {std::move(facts),
                fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                                "Join the group %1 (sudo usermod -aG %1 $USER), "
                                                "then log out and in again.")),
                        {access->group})};
    }
    return {std::move(facts),
            fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                            "Only %1 may use it: ask an administrator to give it a "
                                            "group you can join, with mode 0660 (a udev rule).")),
                    {access->owner})};
}

}  // namespace

std::string fill_in(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                out.append(values.begin()[index]);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

NoticeWords open_failure_words(const OpenResult& result, std::string_view port_text,
                               const Translate& translate) {
    const Words words{translate};
    const std::string& device = result.device;
    switch (result.error) {
        case OpenError::none:
            break;
        case OpenError::no_such_port:
            // One rule for every text that reaches nothing: 0, -5, 40000, "abc" or a number
            // past the devices found.
            return {
                fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "Port %1 reaches no serial device.")),
                        {trimmed(port_text)}),
                words(QT_TRANSLATE_NOOP("NoticeText",
                                        "Enter a port number from 1 up; the port field's "
                                        "tooltip tells which device a number reaches."))};
        case OpenError::missing:
            return {fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "%1 is not there.")), {device}),
                    words(QT_TRANSLATE_NOOP("NoticeText",
                                            "Plug the adapter in, then open the port again."))};
        case OpenError::busy: {
            const std::string holder = holder_words(result.holder, words);
            return {holder.empty()
                        ? fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                                          "%1 is in use by another program.")),
                                  {device})
                        : fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "%1 is in use by %2.")),
                                  {device, holder}),
                    words(QT_TRANSLATE_NOOP("NoticeText",
                                            "Close that program, then open the port again."))};
        }
        case OpenError::no_permission:
            return no_permission(device, result.access, words);
        case OpenError::stale_lock:
            return {fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                                    "%1 is locked by %2, which has ended.")),
                            {device, holder_words(result.holder, words)}),
                    fill_in(words(QT_TRANSLATE_NOOP("NoticeText",
                                                    "Remove the lock it left behind (sudo rm %1), "
                                                    "then open the port again.")),
                            {result.lock_file})};
        case OpenError::other:
            break;
    }
    return {
        fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "%1 could not be opened as a serial port.")),
                {device}),
        words(QT_TRANSLATE_NOOP("NoticeText",
                                "Check that it is a serial device, then open the port again."))};
}

NoticeWords loss_words(std::string_view device, std::string_view reason,
                       const Translate& translate) {
    const Words words{translate};
    std::string advice(reason);
    advice += ' ';
    advice += words(QT_TRANSLATE_NOOP("NoticeText",
                                      "Check the cable and the board's power, then open the port "
                                      "again."));
    return {
        fill_in(words(QT_TRANSLATE_NOOP("NoticeText", "%1 went away; the port has been closed.")),
                {device}),
        std::move(advice)};
}

}  // namespace quellbox::link
