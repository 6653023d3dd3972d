// The program's start-up object: prepares the process, serves "/process", keeps one
// interactive instance per brand and version, runs the main window, and feeds the status
// line with the hints of the controls under the mouse.
#pragma once

#include <string>
#include <vector>

#include "app/branding_settings.h"
#include "app/main_view.h"
#include "app/resources.h"
#include "platform/machine.h"

namespace app {

constexpr platform::UINT WM_MOUSEMOVE = 0x0200;

// The command line proper: the text after the program's path, leading blanks removed.
std::string CommandLineProper(const std::string& fullCommandLine);

class MainWindow;

class Application {
 public:
  // fullCommandLine is the program's Windows command line, its path first. The program folder
  // is the one of the running executable, unless a host that runs the program in its own
  // process names it (with its trailing backslash).
  Application(platform::Machine& machine, MainView& view, std::string fullCommandLine,
              std::string programFolder = "");

  // The start-up sequence; returns the process's exit status once the program is to end.
  int Run();

  // Runs for every message of the user-interface thread before it is dispatched.
  void PreTranslateMessage(const platform::MSG& message);

  bool Initialising() const { return initialising_; }
  const std::string& ProgramFolderPath() const { return programFolder_; }
  const BrandingSettings& Branding() const { return branding_; }
  const Resources& Texts() const { return resources_; }
  // Makes a window the main one for the hints without running it (tests of pre-screening).
  void SetMainWindow(MainWindow* window) { mainWindow_ = window; }
  void SetInitialising(bool initialising) { initialising_ = initialising; }

 private:
  void RunSecondInstance();

  platform::Machine& machine_;
  MainView& view_;
  std::string fullCommandLine_;
  std::string commandLine_;
  std::string programFolder_;
  Resources resources_;
  BrandingSettings branding_;
  bool initialising_ = false;
  platform::HWND lastHovered_ = nullptr;
  MainWindow* mainWindow_ = nullptr;
};

}  // namespace app
