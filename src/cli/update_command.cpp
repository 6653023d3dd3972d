// vexmarl-cli update: both channels checked as the window checks them, program first, with
// the questions on the console, a progress line during downloads, and one line a channel's
// outcome on standard output.

#include <cstdio>
#include <iostream>

#include "app/scan_session.h"
#include "app/update_checker.h"
#include "app/user_settings.h"
#include "cli/cli_program.h"
#include "cli/yes_prompt.h"
#include "foundation/setting_names.h"
#include "platform/console.h"

namespace cli {
namespace {

constexpr int kNothingNewer = 0, kUpdateFound = 1;

}  // namespace

int UpdateCommand(CliProgram& program, const UpdateOptions& options) {
  platform::Machine& machine = program.machine;
  // The definitions' version is the loaded database's; without one the check offers any.
  app::ScanSession session(machine, program.branding, program.resources, program.programFolder, {});
  session.LoadDefinitions();
  app::UserSettings& settings = session.Settings();
  // As the window's start does: a download handed over before has been installed by now, or
  // its installer is gone. Left set, it would keep this check from ever starting.
  settings.SetNumber(foundation::setting::kDownloadComplete, 0);
  YesPrompt yes;
  platform::ConsolePrompt console(std::cin, std::cerr,
                                  platform::IsTerminal(platform::ConsoleStream::Input));
  platform::Prompt& prompt = options.yes ? static_cast<platform::Prompt&>(yes) : console;

  int status = kNothingNewer;
  app::UpdateChecker::Hooks hooks;
  hooks.reported = [&](app::UpdateChannel channel, int code, const UpdateStatus& record) {
    std::printf("%s\t%s\t%d\t%g\n", channel == app::UpdateChannel::Program ? "program" : "database",
                app::UpdateStatusName(code), record.detail, record.serverVersion);
    std::fflush(stdout);
    if (code == UpdateAvailable || code == UpdateDownloaded)
      status = std::max(status, kUpdateFound);
    if (code == UpdateError || code == UpdateDownloadFailed || code == UpdateReplyShort ||
        code == UpdateReplyMismatch || code == UpdateProxyFailure || code == UpdateRefused)
      status = kExitCannotRun;
  };
  // What the log is told of the lists' verification, the user is told too.
  hooks.note = [&](const std::string& text, bool shown) {
    session.Log().LogLine(app::UpdateLogLine(text));
    if (!shown) std::fprintf(stderr, "vexmarl-cli: %s\n", text.c_str());
  };
  app::UpdateChecker checker(
      machine, program.branding, program.resources, prompt, settings,
      [&] { return session.Database().version; }, std::move(hooks));
  // A window of the command's own receives the library's messages and the check's timer.
  platform::Messages& messages = machine.messages();
  platform::HWND window = messages.CreateWindowA(
      "", [&](platform::HWND, platform::UINT message, platform::WPARAM wParam, platform::LPARAM) {
        if (message == UpdateStatusMessage) checker.OnStatus(static_cast<int>(wParam));
        if (message == platform::WM_TIMER && wParam == app::kUpdateTimer) checker.OnTimer();
        return platform::LRESULT{0};
      });
  checker.Initialise(window);
  namespace setting = foundation::setting;
  checker.SetOptions(
      true, settings.ReadNumber(app::kFixedSettingsKeyName, setting::kAutoProgramUpdate, 1) != 0,
      settings.Number(setting::kAutoDatabaseUpdate, 1) != 0);
  checker.SetCheckOnly(options.check);
  checker.Request();
  platform::MSG message;
  while (checker.InProgress() && messages.GetMessageA(&message, nullptr, 0, 0) > 0)
    messages.DispatchMessageA(&message);
  messages.DestroyWindow(window);
  return status;
}

}  // namespace cli
