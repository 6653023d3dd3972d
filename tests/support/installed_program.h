// The built program installed into a test image, and instances of it run as real processes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/helper_process.h"
#include "support/temp_image.h"

namespace testing_support {

inline constexpr const char* kInstalledFolder = "C:\\Program Files\\Vexmarl";

// Installs the program with vexmachine into the Windows folder of the image, with the check
// for updates at start turned off (Corvane 0); false when the installer failed.
bool InstallProgram(TempImage& image, const std::string& folder = kInstalledFolder);

// An instance of Vexmarl.exe of an image started with a command line (the text after the
// program's path); its status lines come back through Report(). Closed through its window
// when it still runs at the end.
class ProgramInstance {
 public:
  ProgramInstance(TempImage& image, const std::string& commandLine,
                  const std::string& folder = kInstalledFolder);
  ~ProgramInstance();
  std::string Report() { return process_->Report(); }
  pid_t Pid() const { return process_->Pid(); }
  // Reads reports until one equals the line; false when the program ended first.
  bool WaitFor(const std::string& line);
  // Reads reports until one contains the text; the reports read, the last one holding it
  // (none when the program ended first).
  std::vector<std::string> ReadUntilContaining(const std::string& text);

 private:
  std::unique_ptr<HelperProcess> process_;
};

// Runs Vexmarl.exe of the image to its end with the command line; its standard output.
std::string RunProgram(TempImage& image, const std::string& commandLine,
                       const std::string& folder = kInstalledFolder);

// Replaces the installed definitions by one entry with many registry keys ("Software\Slow\Key"
// and a number from 0), so that a scan has many steps; slowed by a Throttle it takes seconds.
void InstallSlowDefinitions(TempImage& image, const std::string& folder = kInstalledFolder,
                            int keys = 20000);

// Sends a message to the window with that title through vexmachine, with "WPARAM LPARAM"
// when given; its answer, or empty.
std::string SendToWindow(TempImage& image, const std::string& title, unsigned message,
                         const std::string& parameters = "");

}  // namespace testing_support
