// Filling the printf formats of the resource library with arguments. The formats come from
// a library outside the program, so they are read safely: each conversion takes the next
// argument and shows it whatever its type, and a missing argument shows as nothing.
#pragma once

#include <initializer_list>
#include <string>
#include <variant>

namespace foundation {

using TextArgument = std::variant<std::string, long long, double>;

std::string FormatText(const std::string& format, std::initializer_list<TextArgument> arguments);

}  // namespace foundation
