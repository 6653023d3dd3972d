#include "platform/machine.h"

#include <sys/stat.h>

namespace platform {

Machine::Machine(MachineImage image)
    : image_(std::move(image)), codePage_(1252), files_(image_, codePage_) {
  mkdir(image_.ObjectsFolder().c_str(), 0777);  // run-time objects live here
}

std::unique_ptr<Machine> Machine::Open(const std::string& root, std::string* error) {
  auto image = MachineImage::At(root);
  if (!image) {
    if (error) *error = "not a machine image (no drives folder): " + root;
    return nullptr;
  }
  return std::make_unique<Machine>(std::move(*image));
}

std::unique_ptr<Machine> Machine::OfThisProcess(std::string* error) {
  auto image = MachineImage::OfThisProcess();
  if (!image) {
    if (error)
      *error = std::string("no machine image: set ") + kMachineVariable +
               " or run a program installed in an image";
    return nullptr;
  }
  return std::make_unique<Machine>(std::move(*image));
}

}  // namespace platform
