// A scratch machine image for a fuzz target, made once per process and removed at its end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/image/image_machine.h"

struct FuzzMachine {
  std::string root;
  std::unique_ptr<platform::ImageMachine> machine;

  FuzzMachine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexmarl-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    std::filesystem::create_directories(root + "/drives/C/WINDOWS");
    machine = platform::ImageMachine::Open(root);
    if (!machine) std::abort();
  }
  ~FuzzMachine() {
    machine.reset();
    std::filesystem::remove_all(root);
  }

  static FuzzMachine& Shared() {
    static FuzzMachine shared;
    return shared;
  }
};
