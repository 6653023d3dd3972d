// What the machine starts by itself: the values of the autorun registry locations and the
// entries of the startup folders, each program with the MD5 of its file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace scan {

using LineWriter = std::function<void(const std::string&)>;

// One line for the key and one per value ("Value = ... Data = ..." with MD5 and Path when the
// program file was found); filter, when not empty, keeps only that value name (any case).
// Returns whether any value line was made; a key that cannot be opened gives no lines.
bool ListRegistryValues(platform::Machine& machine, const std::string& location,
                        const std::string& filter, std::vector<std::string>& lines);

// The text between the first and second double quote at or after `from` of a listing line;
// empty when there are not two.
std::string QuotedText(const std::string& line, std::size_t from = 0);

// "<Information ...>" lines for the forty-one inventoried locations that have values.
void WriteAutorunInventory(platform::Machine& machine, const LineWriter& write);

// One line per entry of the folder, shortcuts with their target.
void WriteStartupFolder(platform::Machine& machine, const std::string& folder,
                        const LineWriter& write);

// The user's startup folder, then the common one.
void WriteStartupFolders(platform::Machine& machine, const LineWriter& write);

}  // namespace scan
