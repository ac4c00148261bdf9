// Text that came from the user (an argument, a SPEC) quoted inside a one-line message: control characters are
// written as escapes, so that a line feed in the text cannot break the message into several lines.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string PrintableText(std::string_view text);

}  // namespace platform
