// The Windows machine the program works on: one image and its services. Code above the
// platform layer is handed a Machine (or one of its services) and never finds it by itself.
#pragma once

#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/com.h"
#include "platform/files.h"
#include "platform/internet.h"
#include "platform/libraries.h"
#include "platform/machine_image.h"
#include "platform/messages.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace platform {

class Machine {
 public:
  // The machine of the image at root; null with a message in error when it is not an image
  // or its registry cannot be opened.
  static std::unique_ptr<Machine> Open(const std::string& root, std::string* error = nullptr);
  // The machine of this process (VEXMARL_MACHINE, or the image holding the executable).
  static std::unique_ptr<Machine> OfThisProcess(std::string* error = nullptr);

  const MachineImage& Image() const { return image_; }
  const CodePage& Code() const { return codePage_; }
  Files& files() { return *files_; }
  Registry& registry() { return *registry_; }
  System& system() { return *system_; }
  Processes& processes() { return *processes_; }
  Shell& shell() { return *shell_; }
  Messages& messages() { return *messages_; }
  Internet& internet() { return *internet_; }
  Com& com() { return *com_; }
  Libraries& libraries() { return *libraries_; }

 private:
  Machine(MachineImage image, std::unique_ptr<Registry> registry);

  MachineImage image_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<System> system_;
  CodePage codePage_;
  std::unique_ptr<Files> files_;
  std::unique_ptr<Processes> processes_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<Messages> messages_;
  std::unique_ptr<Internet> internet_;
  std::unique_ptr<Com> com_;
  std::unique_ptr<Libraries> libraries_;
};

}  // namespace platform
