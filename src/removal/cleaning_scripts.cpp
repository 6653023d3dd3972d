#include "removal/cleaning_scripts.h"

namespace removal {

bool RunCleaningScripts(platform::Machine& machine, const ScriptMap& scripts,
                        const std::string& programFolder, const std::string& programPath,
                        unsigned waitMs) {
  platform::Messages& messages = machine.messages();
  bool restart = false;
  for (const auto& [name, script] : scripts) {
    if (script->reboot) restart = true;
    const std::string folder = programFolder + "Scripts\\" + script->name + "." + script->version;
    const std::string file = folder + "\\" + script->scriptFile;
    const std::string parameters = "\"" + programPath + "\"";
    platform::SHELLEXECUTEINFOA info;
    info.fMask = platform::SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = platform::SW_SHOWNORMAL;
    if (!machine.shell().ShellExecuteExA(&info) || !info.hProcess) continue;
    for (;;) {
      const platform::DWORD woken = messages.MsgWaitForMultipleObjects(
          1, &info.hProcess, platform::FALSE, waitMs, platform::QS_ALLINPUT);
      if (woken == platform::WAIT_OBJECT_0 || woken == platform::WAIT_TIMEOUT ||
          woken == platform::WAIT_FAILED)
        break;
      platform::MSG message;
      while (messages.PeekMessageA(&message, nullptr, 0, 0, platform::PM_REMOVE)) {
        messages.TranslateMessage(&message);
        messages.DispatchMessageA(&message);
      }
    }
    platform::CloseHandle(info.hProcess);
  }
  return restart;
}

}  // namespace removal
