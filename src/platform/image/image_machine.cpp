#include "platform/image/image_machine.h"

#include <sys/stat.h>

namespace platform {

ImageMachine::ImageMachine(MachineImage image, std::unique_ptr<ImageRegistry> registry,
                           std::unique_ptr<AttachedSystem> attached)
    : image_(std::move(image)),
      attached_(std::move(attached)),
      registry_(std::move(registry)),
      system_(std::make_unique<ImageSystem>(*registry_)),
      codePage_(system_->GetACP()),
      files_(std::make_unique<ImageFiles>(
          image_, codePage_,
          [this](const std::string& name) { return system_->EnvironmentVariable(name); })),
      processes_(std::make_unique<ImageProcesses>(*files_, *system_)),
      shell_(std::make_unique<ImageShell>(*files_, *system_, *registry_, *processes_)),
      messages_(std::make_unique<ImageMessages>(image_)),
      internet_(std::make_unique<ImageInternet>(*registry_)),
      com_(std::make_unique<ImageCom>(*files_, *registry_, *system_)),
      libraries_(std::make_unique<ImageLibraries>(*files_, *system_)) {
  system_->SetShortPathForm([this](const std::string& path) -> std::optional<std::string> {
    char buffer[MAX_PATH];
    const DWORD length = files_->GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return std::nullopt;
    return std::string(buffer, length);
  });
  if (attached_) {
    registry_->SetWriteBack(attached_.get());
    system_->SetOffline(true);
    shell_->SearchFirst(AttachRecord::kProgramsFolder);
    if (!attached_->Record().writable) files_->ProtectDrive('C');
  }
}

std::unique_ptr<ImageMachine> ImageMachine::Open(const std::string& root, std::string* error) {
  auto image = MachineImage::At(root);
  if (!image) {
    if (error) *error = "not a machine image (no drives folder): " + root;
    return nullptr;
  }
  mkdir(image->ObjectsFolder().c_str(), 0777);  // run-time objects live here
  std::string problem;
  auto registry = ImageRegistry::Open(image->RegistryFile(), 1252, &problem);
  if (!registry) {
    if (error) *error = "cannot open the registry of " + root + ": " + problem;
    return nullptr;
  }
  std::unique_ptr<AttachedSystem> attached;
  if (auto record = AttachRecord::Load(image->Root()))
    attached =
        std::make_unique<AttachedSystem>(image->Root(), std::move(*record), registry->Code());
  return std::unique_ptr<ImageMachine>(
      new ImageMachine(std::move(*image), std::move(registry), std::move(attached)));
}

std::unique_ptr<ImageMachine> ImageMachine::OfThisProcess(std::string* error) {
  auto image = MachineImage::OfThisProcess();
  if (!image) {
    if (error)
      *error = std::string("no machine image: set ") + kMachineVariable +
               " or run a program installed in an image";
    return nullptr;
  }
  return Open(image->Root(), error);
}

std::unique_ptr<Machine> Machine::OfThisProcess(std::string* error) {
  return ImageMachine::OfThisProcess(error);
}

}  // namespace platform
