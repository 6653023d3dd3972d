#include "app/application.h"

#include "app/hint_table.h"
#include "app/main_window.h"
#include "app/process_command.h"
#include "app/program_folder.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/shell.h"

namespace app {

std::string CommandLineProper(const std::string& fullCommandLine) {
  std::size_t at = 0;
  if (!fullCommandLine.empty() && fullCommandLine[0] == '"') {
    const std::size_t quote = fullCommandLine.find('"', 1);
    at = quote == std::string::npos ? fullCommandLine.size() : quote + 1;
  } else {
    at = fullCommandLine.find_first_of(" \t");
    if (at == std::string::npos) at = fullCommandLine.size();
  }
  while (at < fullCommandLine.size() && (fullCommandLine[at] == ' ' || fullCommandLine[at] == '\t'))
    ++at;
  return fullCommandLine.substr(at);
}

Application::Application(platform::Machine& machine, MainView& view, std::string fullCommandLine,
                         std::string programFolder)
    : machine_(machine),
      view_(view),
      fullCommandLine_(std::move(fullCommandLine)),
      commandLine_(CommandLineProper(fullCommandLine_)),
      programFolder_(std::move(programFolder)) {}

int Application::Run() {
  platform::Files& files = machine_.files();
  if (programFolder_.empty()) programFolder_ = ProgramFolder(machine_.processes());
  files.SetCurrentDirectoryA(programFolder_.c_str());
  resources_.Load(machine_);
  initialising_ = true;
  branding_.Load(files, programFolder_);

  if (ServeProcessCommand(platform::SplitCommandLine(fullCommandLine_), machine_.processes()))
    return 0;
  // Without its name the program cannot tell its instances or its settings apart.
  if (std::string problem = branding_.Problem(); !problem.empty()) {
    view_.prompt().MessageBoxA(nullptr, problem.c_str(), "Vexmarl", platform::MB_OK);
    return 1;
  }

  const std::string mutexName = branding_.APPNAME + " " + ProgramVersion;
  platform::HANDLE mutex =
      machine_.messages().CreateMutexA(nullptr, platform::TRUE, mutexName.c_str());
  if (platform::GetLastError() == platform::ERROR_ALREADY_EXISTS) {
    RunSecondInstance();
    if (mutex) platform::CloseHandle(mutex);
    return 0;
  }

  {
    MainWindow window(machine_, branding_, resources_, view_, commandLine_, programFolder_);
    mainWindow_ = &window;
    initialising_ = false;
    window.RunModal([this](const platform::MSG& message) { PreTranslateMessage(message); });
    mainWindow_ = nullptr;
  }
  resources_.Free();
  return 0;
}

void Application::RunSecondInstance() {
  platform::Messages& messages = machine_.messages();
  platform::HWND first = messages.FindWindowA(nullptr, branding_.APPNAME.c_str());
  if (!messages.IsWindow(first)) return;
  if (machine_.Code().EqualNoCase(commandLine_, "-t"))
    messages.SendMessageA(first, StartScanMessage, 0, 0);
  else
    messages.SendMessageA(first, platform::WM_ACTIVATE, 0, 0);
}

void Application::PreTranslateMessage(const platform::MSG& message) {
  if (initialising_ || message.message != WM_MOUSEMOVE) return;
  if (message.hwnd == lastHovered_) return;
  lastHovered_ = message.hwnd;
  const std::string hint = HintTable::Instance().Lookup(message.hwnd, resources_);
  if (!hint.empty()) {
    view_.ShowStatus(hint);
  } else if (mainWindow_) {
    view_.ShowStatus(mainWindow_->DefaultStatus());
  }
}

}  // namespace app
