// A Windows machine made of a folder on the host, a machine image: its drives, its registry
// and its run-time objects, and the services over them.
#pragma once

#include <memory>
#include <string>

#include "platform/image/attached_system.h"
#include "platform/image/image_com.h"
#include "platform/image/image_files.h"
#include "platform/image/image_internet.h"
#include "platform/image/image_libraries.h"
#include "platform/image/image_messages.h"
#include "platform/image/image_processes.h"
#include "platform/image/image_registry.h"
#include "platform/image/image_shell.h"
#include "platform/image/image_system.h"
#include "platform/image/machine_image.h"
#include "platform/machine.h"

namespace platform {

class ImageMachine final : public Machine {
 public:
  // The machine of the image at root; null with a message in error when it is not an image
  // or its registry cannot be opened.
  static std::unique_ptr<ImageMachine> Open(const std::string& root, std::string* error = nullptr);
  // The machine of this process (VEXMARL_MACHINE, or the image holding the executable).
  static std::unique_ptr<ImageMachine> OfThisProcess(std::string* error = nullptr);

  const MachineImage& Image() const { return image_; }
  // The Windows installation the image stands for, when `attach` made it; else null.
  AttachedSystem* Attached() { return attached_.get(); }
  const CodePage& Code() const override { return codePage_; }
  ImageFiles& files() override { return *files_; }
  ImageRegistry& registry() override { return *registry_; }
  ImageSystem& system() override { return *system_; }
  ImageProcesses& processes() override { return *processes_; }
  ImageShell& shell() override { return *shell_; }
  ImageMessages& messages() override { return *messages_; }
  ImageInternet& internet() override { return *internet_; }
  ImageCom& com() override { return *com_; }
  ImageLibraries& libraries() override { return *libraries_; }

 private:
  ImageMachine(MachineImage image, std::unique_ptr<ImageRegistry> registry,
               std::unique_ptr<AttachedSystem> attached);

  MachineImage image_;
  std::unique_ptr<AttachedSystem> attached_;  // outlives the registry that writes through it
  std::unique_ptr<ImageRegistry> registry_;
  std::unique_ptr<ImageSystem> system_;
  CodePage codePage_;
  std::unique_ptr<ImageFiles> files_;
  std::unique_ptr<ImageProcesses> processes_;
  std::unique_ptr<ImageShell> shell_;
  std::unique_ptr<ImageMessages> messages_;
  std::unique_ptr<ImageInternet> internet_;
  std::unique_ptr<ImageCom> com_;
  std::unique_ptr<ImageLibraries> libraries_;
};

}  // namespace platform
