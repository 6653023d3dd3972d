#include "platform/win32/win32_machine.h"

namespace platform {

Win32Machine::Win32Machine()
    : registry_(),
      system_(registry_),
      codePage_(system_.GetACP()),
      files_(codePage_),
      processes_(files_),
      shell_(files_, system_),
      messages_(),
      internet_(),
      com_(),
      libraries_() {}

std::unique_ptr<Machine> Machine::OfThisProcess(std::string*) {
  return std::make_unique<Win32Machine>();
}

}  // namespace platform
