// Running the cleaning scripts that the removed spyware entries name: each once, from its
// installed folder, with the program's path as its parameter, waited for while the window's
// messages keep flowing.
#pragma once

#include <map>
#include <string>

#include "definitions/definition_database.h"
#include "platform/machine.h"

namespace removal {

// Scripts by name, each once in a removal run.
using ScriptMap = std::map<std::string, const definitions::CleaningScript*>;

// Starts every script and waits for it (a wait ends after waitMs without a message, then
// begins again after messages were handled); true when one of them asks for a restart,
// whether or not it started.
bool RunCleaningScripts(platform::Machine& machine, const ScriptMap& scripts,
                        const std::string& programFolder, const std::string& programPath,
                        unsigned waitMs = 300000);

}  // namespace removal
