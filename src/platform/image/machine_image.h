// Where a machine image lives on the host: IMAGE/drives/<letter>/..., IMAGE/registry.db and
// IMAGE/objects/.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The environment variable that names the image of a process.
inline constexpr const char* kMachineVariable = "VEXMARL_MACHINE";

class MachineImage {
 public:
  // The image at root (a host folder holding "drives"), or nothing when it is not one.
  static std::optional<MachineImage> At(const std::string& root);

  // The image of this process: the one named by VEXMARL_MACHINE, or else the image that
  // contains the running executable.
  static std::optional<MachineImage> OfThisProcess();

  // The image that contains the host path, if any.
  static std::optional<MachineImage> Containing(const std::string& hostPath);

  const std::string& Root() const { return root_; }
  // The host folder that holds one folder per drive letter, resolved without links.
  const std::string& DrivesFolder() const { return drives_; }
  std::string DriveFolder(char letter) const;
  std::string ObjectsFolder() const { return root_ + "/objects"; }
  std::string RegistryFile() const { return root_ + "/registry.db"; }

 private:
  MachineImage(std::string root, std::string drives)
      : root_(std::move(root)), drives_(std::move(drives)) {}

  std::string root_;
  std::string drives_;
};

}  // namespace platform
