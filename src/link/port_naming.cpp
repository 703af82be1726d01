#include "link/port_naming.h"

#include <algorithm>

namespace quellbox::link {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t digit_run_end(std::string_view s, std::size_t from) {
    while (from < s.size() && is_digit(s[from])) ++from;
    return from;
}

// Compares two runs of decimal digits by value without converting them, so that no length of
// run can overflow.
int compare_digit_runs(std::string_view a, std::string_view b) {
    auto strip = [](std::string_view s) {
        std::size_t i = 0;
        while (i + 1 < s.size() && s[i] == '0') ++i;
        return s.substr(i);
    };
    const std::string_view sa = strip(a);
    const std::string_view sb = strip(b);
    if (sa.size() != sb.size()) return sa.size() < sb.size() ? -1 : 1;
    if (const int c = sa.compare(sb); c != 0) return c < 0 ? -1 : 1;
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

}  // namespace

std::optional<std::string> windows_port_name(int number) {
    if (number < 1) return std::nullopt;
    return "COM" + std::to_string(number);
}

std::string port_link_name(int number) {
    return "com" + std::to_string(number);
}

bool is_usb_adapter(std::string_view name) {
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

bool natural_less(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            const std::size_t ei = digit_run_end(a, i);
            const std::size_t ej = digit_run_end(b, j);
            const int c = compare_digit_runs(a.substr(i, ei - i), b.substr(j, ej - j));
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    return (a.size() - i) < (b.size() - j);
}

std::vector<std::string> order_port_names(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool usb_a = is_usb_adapter(a);
        const bool usb_b = is_usb_adapter(b);
        if (usb_a != usb_b) return usb_a;
        return natural_less(a, b);
    });
    return names;
}

}  // namespace quellbox::link
