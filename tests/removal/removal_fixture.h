// A removal engine over the scan fixture's image and definitions, with a host that records
// the log, the settings and the questions asked.
#pragma once

#include <filesystem>

#include "removal/removal_engine.h"
#include "scan/scan_fixture.h"
#include "support/helper_process.h"

namespace removal {

using Lines = std::vector<std::string>;

// A program that waits until it is ended (the demo spyware), run from a host path; ended
// with the test whatever happened.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& hostPath) : process_({hostPath}) {}
  ~RunningProgram() { process_.Kill(); }
  pid_t Pid() const { return process_.Pid(); }
  void Kill() { process_.Kill(); }

 private:
  testing_support::HelperProcess process_;
};

class RemovalFixture : public scan::ScanFixture {
 protected:
  void Define(const std::string& entries) {
    scan::ScanFixture::Define(entries);
    host_.logLine = [this](const std::string& line) { log_.push_back(line); };
    host_.readNumber = [this](const char* name) { return numbers_[name]; };
    host_.writeNumber = [this](const char* name, platform::DWORD value) { numbers_[name] = value; };
    host_.readText = [this](const char* name) { return texts_[name]; };
    host_.writeText = [this](const char* name, const std::string& text) { texts_[name] = text; };
    host_.resourceText = [](unsigned id) {
      return id == 135 || id == 177 || id == 182 ? "text " + std::to_string(id) + " %d"
                                                 : "text " + std::to_string(id);
    };
    host_.prompt = &prompt_;
    host_.appName = "Vexmarl";
    host_.programFolder = scan::kProgramFolder;
    host_.programPath = std::string(scan::kProgramFolder) + "vexmarl-cli.exe";
    host_.interactiveProgram = std::string(scan::kProgramFolder) + "Vexmarl.exe";
    host_.showProgress = [this](const std::string& text) { progress_.push_back(text); };
    host_.closeMainWindow = [this] { ++closed_; };
    removal_ = std::make_unique<RemovalEngine>(image_.Machine(), *engine_, database_, host_);
  }
  scan::FoundItem Item(scan::FoundItemKind kind, const std::string& text, std::size_t entry = 0) {
    return scan::FoundItem{false, text, &Entry(entry), kind};
  }
  ResultRow Row(scan::FoundItemKind kind, const std::string& text, std::size_t entry = 0) {
    return ResultRow{Item(kind, text, entry), true};
  }
  // The log from "<Removal>"-like runs: everything logged since the last Clear().
  void ClearLog() { log_.clear(); }
  // A copy of a helper program in the image at relative (below C:\); its host path.
  std::string InstallProgram(const std::string& relative, const char* program) {
    const std::string host = image_.HostPath(relative);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::filesystem::copy_file(program, host, std::filesystem::copy_options::overwrite_existing);
    return host;
  }
  bool KeyExists(platform::HKEY root, const std::string& path) {
    platform::HKEY key;
    if (image_.Machine().registry().RegOpenKeyExA(root, path.c_str(), 0, platform::KEY_READ,
                                                  &key) != platform::ERROR_SUCCESS)
      return false;
    image_.Machine().registry().RegCloseKey(key);
    return true;
  }
  std::string ValueOf(platform::HKEY root, const std::string& path, const char* name) {
    platform::HKEY key;
    if (image_.Machine().registry().RegOpenKeyExA(root, path.c_str(), 0, platform::KEY_READ,
                                                  &key) != platform::ERROR_SUCCESS)
      return "<no key>";
    char data[1024] = {};
    platform::DWORD size = sizeof data - 1;
    const auto status = image_.Machine().registry().RegQueryValueExA(
        key, name, nullptr, nullptr, reinterpret_cast<platform::BYTE*>(data), &size);
    image_.Machine().registry().RegCloseKey(key);
    return status == platform::ERROR_SUCCESS ? std::string(data, size) : "<none>";
  }

  RemovalHost host_;
  platform::ScriptedPrompt prompt_;
  std::unique_ptr<RemovalEngine> removal_;
  Lines progress_;
  int closed_ = 0;
};

}  // namespace removal
