#pragma once
// Numbers on the command lines of the tools around the product.

#include <optional>
#include <string_view>

namespace quellbox::tools {

// The whole of `text` as a number greater than 0 and at most `most`; nothing otherwise.
std::optional<double> positive_number(std::string_view text, double most = 1e7);

}  // namespace quellbox::tools
