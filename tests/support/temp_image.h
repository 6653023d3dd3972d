// A fresh machine image in a temporary folder for one test, removed afterwards.
#pragma once

#include <memory>
#include <string>

#include "platform/image/image_machine.h"

namespace testing_support {

class TempImage {
 public:
  TempImage();  // an image with an empty drive C
  // An image made as vexmachine makes one for that system ("xp", "98", ...).
  explicit TempImage(const std::string& os);
  ~TempImage();
  TempImage(const TempImage&) = delete;
  TempImage& operator=(const TempImage&) = delete;

  const std::string& Root() const { return root_; }
  platform::ImageMachine& Machine() { return *machine_; }
  platform::ImageFiles& Files() { return machine_->files(); }

  // Host path of a Windows path on drive C given as "a/b" below C:\.
  std::string HostPath(const std::string& relative) const;
  // Writes a host file below drive C, making its folders.
  void WriteHostFile(const std::string& relative, const std::string& content) const;
  // Writes a file through the layer, failing the test when it cannot.
  void WriteFile(const std::string& windowsPath, const std::string& content);
  // Reads a whole file through the layer.
  std::string ReadFile(const std::string& windowsPath);

 private:
  std::string root_;
  std::unique_ptr<platform::ImageMachine> machine_;
};

// SQLite's integrity check of the image's registry: "ok" when it is whole.
std::string RegistryIntegrity(const std::string& imageRoot);

// Runs a command and returns its standard output; the exit status goes to status.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace testing_support
