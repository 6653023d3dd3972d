// The machine's running processes as the scan and the removal see them, through one of two
// system interfaces bound at run time: the process-status library when the system has it,
// else the tool-help functions. Also ends processes, with their children, and keeps the set
// of loaded modules that the scan recognised.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace scan {

enum class ProcessInterface { None, ProcessStatus, ToolHelp };

struct ProcessRecord {
  platform::DWORD id = 0;
  std::string image;  // the program's path, its name (tool help) or "-" when unreadable
};

struct ModuleRecord {
  std::uintptr_t base = 0;
  platform::DWORD size = 0;
  std::string path;
};

// The system library of NT 4's native process list, looked for in the system folder.
inline constexpr const char* kNativeLibrary = "ntdll.dll";

// Enables or disables a privilege in this process's token; false when refused.
bool SetPrivilege(platform::Processes& processes, const char* name, bool enable);

// The processes of a tool-help snapshot, in its order.
std::vector<platform::PROCESSENTRY32> SnapshotProcesses(platform::Processes& processes);

class ProcessEnumerator {
 public:
  using LineSender = std::function<void(const std::string&)>;

  // Enables the debug and shutdown privileges (their error lines are dropped: there is no
  // target yet) and binds an interface, the process-status one first unless told otherwise.
  // resourceText gives the program's texts by id.
  ProcessEnumerator(platform::Machine& machine, std::function<std::string(unsigned)> resourceText,
                    bool preferProcessStatus = true);

  // Where error lines go (as session-log lines); without a target they are dropped.
  void SetTarget(LineSender target) { target_ = std::move(target); }
  ProcessInterface Interface() const { return interface_; }

  std::vector<ProcessRecord> ListProcesses();
  std::vector<ModuleRecord> ListModules(platform::DWORD processId);

  // Ends every process whose program has the file name of path (any case, any folder).
  bool EndProcessesByImage(const std::string& path);
  // Ends the process, first its children that run a recognised module when withChildren.
  bool EndProcessTree(platform::DWORD processId, bool withChildren);
  bool ForceTerminate(platform::DWORD processId);

  // Module paths the scan recognised, lower-cased; kept for the life of the enumerator.
  std::set<std::string>& FoundModules() { return foundModules_; }

 private:
  void ErrorLine(const std::string& text);
  bool EnablePrivilege(const char* name);
  bool InFoundModules(const std::string& executableName) const;
  bool EndByProcessStatus(const std::string& path, const std::string& key);
  bool EndByToolHelp(const std::string& key);
  // Every process with its parent, as the system lists them for a tree.
  bool ListRelations(std::vector<platform::PROCESSENTRY32>& relations);

  platform::Machine& machine_;
  std::function<std::string(unsigned)> resourceText_;
  ProcessInterface interface_ = ProcessInterface::None;
  bool nt_ = false;
  bool ntBeforeVersion5_ = false;
  LineSender target_;
  std::set<std::string> foundModules_;
};

}  // namespace scan
