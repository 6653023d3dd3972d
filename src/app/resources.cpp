#include "app/resources.h"

#include <dlfcn.h>

#include <map>

namespace app {
namespace {

// What the program can say without its resource library.
const std::map<unsigned, std::string>& BuiltInTexts() {
  static const std::map<unsigned, std::string> texts = {
      {74, "File"},
      {75, "Registry Key"},
      {76, "Folder"},
      {77, "Registry Value"},
      {78, "Hosts File Entry"},
      {81, "The definitions database was not found."},
      {83, "The definitions database could not be read."},
      {86, "Could not end the process %s: %s"},
      {117, "Home"},
      {118, "Stop Scan"},
      {119, "Scan stopped"},
      {120, "Scan complete"},
      {124, "Scan finished"},
      {132, "%s %s"},
      {152, "Scanning"},
      {155, "Remove Selected"},
      {156, "A scan is running. Stop the scan before closing the program."},
      {166, "Changed Registry Value"},
  };
  return texts;
}

}  // namespace

bool Resources::Load(platform::Files& files, const std::string& name) {
  Free();
  auto host = files.HostPathOf(name);
  if (!host) return false;
  void* library = dlopen(host->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return false;
  auto loadString = reinterpret_cast<LoadString>(dlsym(library, "VxLoadString"));
  auto findPage = reinterpret_cast<FindData>(dlsym(library, "VxFindPage"));
  auto findBitmap = reinterpret_cast<FindData>(dlsym(library, "VxFindBitmap"));
  if (!loadString || !findPage || !findBitmap) {
    dlclose(library);
    return false;
  }
  library_ = library;
  loadString_ = loadString;
  findPage_ = findPage;
  findBitmap_ = findBitmap;
  return true;
}

void Resources::Free() {
  if (library_) dlclose(library_);
  library_ = nullptr;
  loadString_ = nullptr;
  findPage_ = findBitmap_ = nullptr;
}

std::string Resources::String(unsigned id) const {
  if (loadString_) {
    char buffer[4096];
    if (int length = loadString_(id, buffer, sizeof buffer); length > 0)
      return std::string(buffer, static_cast<std::size_t>(length));
  }
  auto found = BuiltInTexts().find(id);
  return found == BuiltInTexts().end() ? std::string() : found->second;
}

std::string Resources::Page(unsigned id) const {
  return Data(findPage_, id);
}

std::string Resources::Bitmap(unsigned id) const {
  return Data(findBitmap_, id);
}

std::string Resources::Data(FindData find, unsigned id) {
  unsigned size = 0;
  const unsigned char* data = find ? find(id, &size) : nullptr;
  return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

}  // namespace app
