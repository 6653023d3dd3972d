#include "foundation/text_format.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace foundation {
namespace {

// One conversion with its flags, width and precision, for snprintf with one argument.
std::string Convert(const std::string& spec, char conversion, const TextArgument* argument) {
  if (!argument) return {};
  char buffer[512];
  const bool integral = std::strchr("diuxXoc", conversion) != nullptr;
  const bool floating = std::strchr("feEgG", conversion) != nullptr;
  std::string format = spec;
  if (integral) {
    format.insert(format.size() - 1, "ll");
    long long value = std::holds_alternative<long long>(*argument) ? std::get<long long>(*argument)
                      : std::holds_alternative<double>(*argument)
                          ? static_cast<long long>(std::get<double>(*argument))
                          : std::atoll(std::get<std::string>(*argument).c_str());
    if (conversion == 'c') return std::string(1, static_cast<char>(value));
    std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    return buffer;
  }
  if (floating) {
    double value = std::holds_alternative<double>(*argument) ? std::get<double>(*argument)
                   : std::holds_alternative<long long>(*argument)
                       ? static_cast<double>(std::get<long long>(*argument))
                       : std::atof(std::get<std::string>(*argument).c_str());
    std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    return buffer;
  }
  // %s and anything else: the argument as text.
  std::string text;
  if (std::holds_alternative<std::string>(*argument)) {
    text = std::get<std::string>(*argument);
  } else if (std::holds_alternative<long long>(*argument)) {
    text = std::to_string(std::get<long long>(*argument));
  } else {
    std::snprintf(buffer, sizeof buffer, "%g", std::get<double>(*argument));
    text = buffer;
  }
  format.back() = 's';
  std::vector<char> wide(text.size() + 1024);
  std::snprintf(wide.data(), wide.size(), format.c_str(), text.c_str());
  return wide.data();
}

}  // namespace

std::string FormatText(const std::string& format, std::initializer_list<TextArgument> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      text += format[i];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      text += '%';
      ++i;
      continue;
    }
    // Flags, a width and a precision of at most three digits each, length letters dropped.
    std::string spec = "%";
    std::size_t at = i + 1;
    while (at < format.size() && std::strchr("-+ #0", format[at])) spec += format[at++];
    for (int digits = 0;
         at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])) && digits < 3;
         ++digits)
      spec += format[at++];
    if (at < format.size() && format[at] == '.') {
      spec += format[at++];
      for (int digits = 0;
           at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])) && digits < 3;
           ++digits)
        spec += format[at++];
    }
    while (at < format.size() && std::strchr("hlLqjzt", format[at])) ++at;
    if (at >= format.size()) {
      text += format.substr(i);
      break;
    }
    const char conversion = format[at];
    spec += conversion;
    const TextArgument* argument = next != arguments.end() ? &*next++ : nullptr;
    text += Convert(spec, conversion, argument);
    i = at;
  }
  return text;
}

}  // namespace foundation
