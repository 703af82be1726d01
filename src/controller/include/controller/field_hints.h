#pragma once
// What the two numeric fields say about themselves (tooltip and accessible description), in
// the operator's language through the lookup the window passes: a refused address sends
// nothing at all, so the channels soon turn 状态未知 and clicks go nowhere, and the field itself
// says why.

#include <string>
#include <string_view>

#include "link/notice_words.h"

namespace quellbox::controller {

// The port field while its text is refused (or reads as no number at all).
std::string port_field_refused_hint(std::string_view text, const link::Translate& translate);

// The address field, refused or not.
std::string add_field_hint(bool refused, std::string_view text, const link::Translate& translate);

}  // namespace quellbox::controller
