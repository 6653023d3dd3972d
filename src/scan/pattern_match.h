// The wildcard matcher of definition paths: "*" covers any run of characters up to the next
// ".", "/" or "\", "?" one character that is no slash, "`" escapes, "/" and "\" are one
// character, and letters compare without regard to case.
#pragma once

#include <string_view>

namespace scan {

// False for an ill-formed pattern (a trailing "!" or "`", an open "[" class).
bool PatternWellFormed(std::string_view pattern);
bool PatternMatch(std::string_view pattern, std::string_view text);

}  // namespace scan
