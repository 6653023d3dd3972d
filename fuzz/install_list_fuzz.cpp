// Install lists of any content run on a scratch image: the installer moves, unpacks and
// opens whatever they name there, and never crashes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_machine.h"
#include "platform/prompt.h"
#include "updater/install_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& scratch = FuzzMachine::Shared();
  platform::ScriptedPrompt prompt;
  updater::InstallFromList(*scratch.machine, prompt,
                           std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
