#include "removal/reboot_removal.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "foundation/setting_names.h"

namespace removal {
namespace {

namespace setting = foundation::setting;

std::string StoredPathName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, setting::kStartUpDeleteFormat, index);
  return name;
}

}  // namespace

void ScheduleRebootDeletion(platform::Machine& machine, RemovalHost& host,
                            const std::vector<std::string>& paths) {
  host.writeNumber(setting::kStartUpDeleteCount, static_cast<platform::DWORD>(paths.size()));
  for (std::size_t i = 0; i < paths.size(); ++i)
    host.writeText(StoredPathName(static_cast<int>(i)).c_str(), paths[i]);
  platform::Registry& registry = machine.registry();
  platform::HKEY key = nullptr;
  if (registry.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, kRunOnceKey, 0, platform::KEY_ALL_ACCESS,
                             &key) != platform::ERROR_SUCCESS)
    return;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const std::string name = host.appName + std::to_string(std::rand());
  const std::string data = "\"" + host.interactiveProgram + "\" " + kRebootArgument;
  registry.RegSetValueExA(key, name.c_str(), 0, platform::REG_SZ,
                          reinterpret_cast<const platform::BYTE*>(data.c_str()),
                          static_cast<platform::DWORD>(data.size() + 1));
  registry.RegCloseKey(key);
}

RebootReport ProcessRebootDeletion(platform::Machine& machine, RemovalHost& host,
                                   scan::ProcessEnumerator& processes) {
  platform::Files& files = machine.files();
  RebootReport report;
  const int count = static_cast<int>(host.readNumber(setting::kStartUpDeleteCount));
  host.logLine("<Reboot>");
  for (int i = 0; i < count; ++i) {
    const std::string path = host.readText(StoredPathName(i).c_str());
    files.SetFileAttributesA(path.c_str(), platform::FILE_ATTRIBUTE_NORMAL);
    if (path.empty() || !files.PathFileExistsA(path.c_str())) continue;
    const std::string line = "<FILE NAME = \"" + path + "\"";
    if (files.DeleteFileA(path.c_str())) {
      host.logLine(line + " RES = \"Successfully Removed\"/>");
      ++report.removed;
      continue;
    }
    const platform::DWORD error = platform::GetLastError();
    if (processes.EndProcessesByImage(path)) {
      host.logLine(line + " RES = \"Successfully Removed on Reboot\"/>");
      files.DeleteFileA(path.c_str());
      ++report.removed;
      continue;
    }
    host.logLine(line + " RES = \"Not Removed " + SystemMessage(machine, error) + "\"/>");
    ++report.notRemoved;
  }
  host.logLine("</Reboot>");
  // Processed once: a later start with "-b" must not delete paths that by then may name
  // other files.
  host.writeNumber(setting::kStartUpDeleteCount, 0);
  return report;
}

}  // namespace removal
