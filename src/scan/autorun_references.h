// Where the machine names programs to start by itself, and taking a program's names out of
// there: the fifteen autorun locations, the Winlogon notification packages, and deleting a
// registry key with everything below it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace scan {

// The fifteen autorun locations, root name first, made anew at each call.
std::vector<std::string> AutorunLocationList();

// Whether an autorun value names the program at path (its file name and its full or short
// path, in any case). With remove set, each such value is deleted and the deletion logged.
// Then the Winlogon notification packages of the program are removed.
bool RemoveAutorunReferences(platform::Machine& machine, const std::string& path, bool remove,
                             const std::function<void(const std::string&)>& logLine);

// For a ".dll" path: deletes every Winlogon\Notify key whose DllName is that path (any case).
void RemoveWinlogonNotify(platform::Machine& machine, const std::string& path);

// Deletes the key and its sub keys, children first; the registry status (0 when deleted).
platform::LONG DeleteKeyTree(platform::Registry& registry, platform::HKEY root,
                             const std::string& keyPath);

}  // namespace scan
