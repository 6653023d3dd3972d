#include "platform/image/machine_image.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>

namespace platform {

namespace {

std::optional<std::string> RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<MachineImage> MachineImage::At(const std::string& root) {
  auto real = RealPath(root);
  if (!real || !IsFolder(*real + "/drives")) return std::nullopt;
  return MachineImage(*real, *real + "/drives");
}

std::optional<MachineImage> MachineImage::OfThisProcess() {
  if (const char* named = std::getenv(kMachineVariable); named && *named) return At(named);
  auto executable = RealPath("/proc/self/exe");
  if (!executable) return std::nullopt;
  return Containing(*executable);
}

std::optional<MachineImage> MachineImage::Containing(const std::string& hostPath) {
  auto real = RealPath(hostPath);
  if (!real) return std::nullopt;
  // The image root is the folder above the "drives" folder on the way up.
  std::string path = *real;
  for (std::size_t cut = path.rfind("/drives/"); cut != std::string::npos;
       cut = cut == 0 ? std::string::npos : path.rfind("/drives/", cut - 1)) {
    std::string root = cut == 0 ? "/" : path.substr(0, cut);
    if (auto image = At(root)) return image;
  }
  return std::nullopt;
}

std::string MachineImage::DriveFolder(char letter) const {
  return drives_ + "/" + static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

}  // namespace platform
