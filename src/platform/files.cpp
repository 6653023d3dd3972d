#include "platform/files.h"

#include <cstring>

namespace platform {

DWORD CopyOutText(const std::string& text, LPSTR buffer, DWORD bufferLength) {
  if (!buffer || bufferLength <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace platform
