// The answers of --yes: Yes to every question, OK to every notice; each question is written
// to standard error.
#pragma once

#include <cstdio>

#include "platform/prompt.h"

namespace cli {

class YesPrompt : public platform::Prompt {
 public:
  int MessageBoxA(platform::HWND, platform::LPCSTR text, platform::LPCSTR caption,
                  platform::UINT type) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    const platform::UINT buttons = type & 0x0F;
    return buttons == platform::MB_YESNO || buttons == platform::MB_YESNOCANCEL ? platform::IDYES
                                                                                : platform::IDOK;
  }
  std::optional<std::string> ChooseFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

}  // namespace cli
