#include "app/resources.h"

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

bool Resources::Load(platform::Machine& machine, const std::string& name) {
  Free();
  char full[platform::MAX_PATH];
  const platform::DWORD length =
      machine.files().GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return false;
  platform::Libraries& libraries = machine.libraries();
  platform::HMODULE library =
      libraries.LoadLibraryExA(full, nullptr, platform::LOAD_LIBRARY_AS_DATAFILE);
  if (!library) return false;
  libraries_ = &libraries;
  library_ = library;
  return true;
}

void Resources::Free() {
  if (library_) libraries_->FreeLibrary(library_);
  library_ = nullptr;
  libraries_ = nullptr;
}

std::string Resources::String(unsigned id) const {
  if (library_) {
    char buffer[4096];
    if (int length = libraries_->LoadStringA(library_, id, buffer, sizeof buffer); length > 0)
      return std::string(buffer, static_cast<std::size_t>(length));
  }
  auto found = BuiltInTexts().find(id);
  return found == BuiltInTexts().end() ? std::string() : found->second;
}

std::string Resources::Page(unsigned id) const {
  return Data(platform::RT_HTML, id);
}

std::string Resources::Bitmap(unsigned id) const {
  return Data(platform::RT_BITMAP, id);
}

std::string Resources::Data(unsigned type, unsigned id) const {
  if (!library_) return {};
  return libraries_->ResourceBytes(library_, type, id).value_or("");
}

}  // namespace app
