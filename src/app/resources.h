// The resource library "resources.dll": the program's texts, pages and bitmaps by id. It is
// loaded from the current folder at start-up; without it the program uses a few texts of
// its own.
#pragma once

#include <string>

#include "foundation/text_format.h"
#include "platform/machine.h"

namespace app {

using foundation::FormatText;
using foundation::TextArgument;

inline constexpr const char* kResourceLibraryName = "resources.dll";

class Resources {
 public:
  Resources() = default;
  ~Resources() { Free(); }
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  // Loads the library of that bare name from the machine's current folder; false when it is
  // missing or no resource library.
  bool Load(platform::Machine& machine, const std::string& name = kResourceLibraryName);
  void Free();
  bool Loaded() const { return library_ != nullptr; }

  // The text with the id from the library, else the program's own text, else empty.
  std::string String(unsigned id) const;
  // The text with the id used as a format.
  std::string Format(unsigned id, std::initializer_list<TextArgument> arguments) const {
    return FormatText(String(id), arguments);
  }
  // The bytes of a page or bitmap; empty when there is none.
  std::string Page(unsigned id) const;
  std::string Bitmap(unsigned id) const;

 private:
  std::string Data(unsigned type, unsigned id) const;

  platform::Libraries* libraries_ = nullptr;
  platform::HMODULE library_ = nullptr;
};

}  // namespace app
