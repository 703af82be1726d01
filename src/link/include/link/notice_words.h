#pragma once
// The words an operator is given when a port would not open or went away, composed without a
// toolkit: what happened, to which device, and what to do. The sentences are written here once,
// in English, the source language of the catalogue (translations/*.ts); each program passes
// the lookup of its own toolkit (Qt's translate on Linux, the catalogue read into the Windows
// program), so every window and companion says the same thing in the same words.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "link/serial_port.h"

namespace quellbox::link {

// The operator's language's text for a source sentence of a translation context (UTF-8); the
// source itself when the catalogue has none.
using Translate = std::function<std::string(const char* context, const char* source)>;

struct NoticeWords {
    std::string what;    // what happened, naming the device or the port number
    std::string advice;  // what to do about it
};

// `port_text` is the port number as the operator gave it; it names the port when the result
// names no device (a number that reaches nothing).
NoticeWords open_failure_words(const OpenResult& result, std::string_view port_text,
                               const Translate& translate);

// `device` and `reason` as a port reports its loss (the reason is already a sentence).
NoticeWords loss_words(std::string_view device, std::string_view reason,
                       const Translate& translate);

// Replaces %1 to %9 in a translated pattern by the values, all at once: a value that itself
// holds "%2" stays as it is. A marker without a value stays too.
std::string fill_in(std::string_view pattern, std::initializer_list<std::string_view> values);

// The language rule of every program: a setting (QUELLBOX_LANGUAGE, a locale variable, or the
// system's user interface language as a tag like "en-US") that starts with "en" asks for
// English; anything else, or nothing, leaves the window's own language, Chinese.
constexpr bool english_wanted(std::string_view setting) {
    return setting.starts_with("en");
}

}  // namespace quellbox::link
