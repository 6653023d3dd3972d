// Numbers at the start of a text, read as the C library reads them but in no locale: blanks
// skipped, the longest numeric prefix taken, 0 when there is none.
#pragma once

#include <string_view>

namespace foundation {

double LeadingDecimal(std::string_view text);
long LeadingInteger(std::string_view text);

}  // namespace foundation
