// File-name patterns with the rules of Windows folder enumeration: "*" matches any run of
// characters, "?" one character (or none at the end of the name or before a dot), "*.*" and a
// trailing ".*" also match names without a dot, and a trailing "." asks for names without one.
#pragma once

#include <string_view>

#include "platform/code_page.h"

namespace platform {

bool MatchesFileNamePattern(const CodePage& codePage, std::string_view pattern,
                            std::string_view name);

}  // namespace platform
