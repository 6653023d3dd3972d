#include "foundation/number_text.h"

#include <charconv>
#include <cmath>

namespace foundation {
namespace {

std::string_view NumberStart(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  text.remove_prefix(at);
  // An explicit plus sign, as the C library takes it.
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  return text;
}

}  // namespace

double LeadingDecimal(std::string_view text) {
  text = NumberStart(text);
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

long LeadingInteger(std::string_view text) {
  text = NumberStart(text);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() ? value : 0;
}

}  // namespace foundation
