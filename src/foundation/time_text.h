// Local times written as the program's files and settings expect them, with English month
// names whatever the host's locale, so texts of one form always have one width.
#pragma once

#include <ctime>
#include <string>

namespace foundation {

std::tm LocalTime(std::time_t time);
// "%d %b %y %H:%M:%S": the times of the session log.
std::string LogTime(std::time_t time);
// "%d-%b-%Y at %I:%M:%S %p": the LastScanTime setting.
std::string LastScanTimeText(std::time_t time);

}  // namespace foundation
