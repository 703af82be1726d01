// Fuzz target: the numeric text of the port and address fields. Every input is read by
// link::text_to_int16 and link::text_to_int32 and by the independent reading in
// numeric_reference.h; any disagreement, in value or in refusal, is a failure. At start-up
// every 16-bit value is written with link::int16_to_text and read back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "link/numeric_text.h"
#include "numeric_reference.h"

namespace {

using quellbox::fuzz::reference_format;
using quellbox::fuzz::reference_int16;
using quellbox::fuzz::reference_int32;

void print_text(std::string_view text) {
    std::fprintf(stderr, "text (%zu bytes):", text.size());
    for (const char c : text) std::fprintf(stderr, " %02x", static_cast<unsigned char>(c));
    std::fprintf(stderr, "\n");
}

template <typename T>
[[noreturn]] void disagree(const char* what, std::string_view text, const std::optional<T>& got,
                           const std::optional<std::int64_t>& want) {
    std::fprintf(stderr, "%s disagrees with the reference\n", what);
    print_text(text);
    std::fprintf(stderr, "got %s, want %s\n",
                 got ? std::to_string(static_cast<long long>(*got)).c_str() : "refusal",
                 want ? std::to_string(static_cast<long long>(*want)).c_str() : "refusal");
    __builtin_trap();
}

template <typename T>
bool same(const std::optional<T>& got, const std::optional<std::int64_t>& want) {
    if (got.has_value() != want.has_value()) return false;
    return !got || static_cast<std::int64_t>(*got) == *want;
}

void check_text(std::string_view text) {
    const auto want16 = reference_int16(text);
    const auto got16 = quellbox::link::text_to_int16(text);
    if (!same(got16, want16)) disagree("text_to_int16", text, got16, want16);

    const auto want32 = reference_int32(text);
    const auto got32 = quellbox::link::text_to_int32(text);
    if (!same(got32, want32)) disagree("text_to_int32", text, got32, want32);
}

// Every int16 is written as plain decimal digits and reads back as itself, through both
// readers; with blanks around it, a sign of its own and a zero fraction it reads the same.
void check_all_int16_round_trips() {
    for (std::int32_t v = -32768; v <= 32767; ++v) {
        const auto value = static_cast<std::int16_t>(v);
        const std::string text = quellbox::link::int16_to_text(value);
        if (text != reference_format(v)) {
            std::fprintf(stderr, "int16_to_text(%d) gave \"%s\", want \"%s\"\n", v, text.c_str(),
                         reference_format(v).c_str());
            __builtin_trap();
        }
        const std::string variants[] = {text, " \t" + text + "\t ", text + ".0", text + ".",
                                        v >= 0 ? "+" + text : text};
        for (const std::string& variant : variants) {
            const auto back16 = quellbox::link::text_to_int16(variant);
            const auto back32 = quellbox::link::text_to_int32(variant);
            if (!back16 || *back16 != value || !back32 || *back32 != v) {
                std::fprintf(stderr, "\"%s\" does not read back as %d\n", variant.c_str(), v);
                __builtin_trap();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    check_all_int16_round_trips();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_text(text);
    // The same text with a sign in front and a fraction behind reaches the sign and rounding
    // paths even when the fuzzer has only found plain digits so far.
    if (!text.empty() && text.size() < 4096) {
        const std::string s(text);
        check_text("-" + s);
        check_text(s + ".5");
        check_text("-" + s + ".5");
    }
    return 0;
}
