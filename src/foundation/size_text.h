// How counts and sizes are shown to the user.
#pragma once

#include <cstdint>
#include <string>

namespace foundation {

// Decimal digits with "," between groups of three from the right: 1234567 -> "1,234,567".
std::string GroupedNumber(std::uint32_t value);

// "512 B", "1.50 KB", "1,023.99 KB", "3 MB": hundredths truncated, ".00" left out.
std::string SizeText(std::uint32_t bytes);

}  // namespace foundation
