// The Windows machine the program works on and its services. Code above the platform layer
// is handed a Machine (or one of its services) and never finds it by itself.
#pragma once

#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/com.h"
#include "platform/files.h"
#include "platform/internet.h"
#include "platform/libraries.h"
#include "platform/messages.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace platform {

class Machine {
 public:
  virtual ~Machine() = default;

  // The machine this process runs on; null with a message in error when it cannot be
  // reached.
  static std::unique_ptr<Machine> OfThisProcess(std::string* error = nullptr);

  virtual const CodePage& Code() const = 0;
  virtual Files& files() = 0;
  virtual Registry& registry() = 0;
  virtual System& system() = 0;
  virtual Processes& processes() = 0;
  virtual Shell& shell() = 0;
  virtual Messages& messages() = 0;
  virtual Internet& internet() = 0;
  virtual Com& com() = 0;
  virtual Libraries& libraries() = 0;
};

}  // namespace platform
