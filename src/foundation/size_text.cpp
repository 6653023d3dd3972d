#include "foundation/size_text.h"

#include <cstdio>

namespace foundation {

std::string GroupedNumber(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string SizeText(std::uint32_t bytes) {
  struct Unit {
    std::uint64_t size;
    const char* name;
  };
  static constexpr Unit kUnits[] = {
      {1024ull * 1024 * 1024, "GB"}, {1024ull * 1024, "MB"}, {1024ull, "KB"}};
  std::string text = GroupedNumber(bytes) + " B";
  for (const Unit& unit : kUnits) {
    if (bytes < unit.size) continue;
    std::uint32_t whole = static_cast<std::uint32_t>(bytes / unit.size);
    unsigned hundredths = static_cast<unsigned>(std::uint64_t{bytes} * 100 / unit.size % 100);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%02u ", hundredths);
    text = GroupedNumber(whole) + fraction + unit.name;
    break;
  }
  for (std::size_t at; (at = text.find(".00")) != std::string::npos;) text.erase(at, 3);
  return text;
}

}  // namespace foundation
