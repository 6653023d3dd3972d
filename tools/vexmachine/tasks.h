// "vexmachine tasks": the image's scheduled tasks listed, started now, or started as the
// scheduler would at a given minute.
#pragma once

#include <string>
#include <vector>

namespace vexmachine {

// args: IMAGE [--run NAME | --due "YYYY-MM-DD HH:MM"]; the exit status.
int Tasks(const std::vector<std::string>& args);

}  // namespace vexmachine
