// 8.3 short names. Every name of a folder that is not already a valid 8.3 name gets one:
// the first six valid characters upper-cased with "~1" to "~4", and past four collisions the
// first two characters, four hexadecimal digits of a checksum of the long name and "~N"; the
// extension is the first three characters of the last one. Names are handed out in the
// folder's case-insensitive name order, so the result depends only on the folder's content.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

namespace platform {

// True when the name already has 8.3 form (up to eight characters, a dot and up to three).
bool IsValidShortName(std::string_view name);

// Short names for the given names of one folder, by position; a name that is already valid
// 8.3 keeps its own spelling. kept, when given, holds by position the short name that the
// volume itself keeps for a name (empty where it keeps none): such a name is used as it is,
// and the names made for the others stay clear of it.
std::vector<std::string> GenerateShortNames(const CodePage& codePage,
                                            const std::vector<std::string>& names,
                                            const std::vector<std::string>& kept = {});

}  // namespace platform
