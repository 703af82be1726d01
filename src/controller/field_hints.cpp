#include "controller/field_hints.h"

// Marks a source sentence for Qt's lupdate (context WindowText); the lookup is passed in.
#define QT_TRANSLATE_NOOP(context, source) source

namespace quellbox::controller {

namespace {
constexpr const char* context = "WindowText";
}

std::string port_field_refused_hint(std::string_view text, const link::Translate& translate) {
    return link::fill_in(
        translate(context, QT_TRANSLATE_NOOP("WindowText",
                                             "The port number is a whole number from 0 to "
                                             "255; \"%1\" is not one.")),
        {text});
}

std::string add_field_hint(bool refused, std::string_view text, const link::Translate& translate) {
    if (!refused) {
        return translate(context, QT_TRANSLATE_NOOP("WindowText",
                                                    "The board address, a whole number from 0 "
                                                    "to 255."));
    }
    return link::fill_in(
        translate(context, QT_TRANSLATE_NOOP("WindowText",
                                             "The board address is a whole number from 0 to 255; "
                                             "\"%1\" is not one. Until it is corrected nothing is "
                                             "sent to the board.")),
        {text});
}

}  // namespace quellbox::controller
