// Starting programs and opening documents the way the Windows shell does, and reading its
// shortcuts.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace platform {

using HINSTANCE = void*;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr ULONGLONG SE_ERR_FNF = 2;
constexpr ULONGLONG SE_ERR_PNF = 3;
constexpr ULONGLONG SE_ERR_ACCESSDENIED = 5;
constexpr ULONGLONG SE_ERR_OOM = 8;
constexpr ULONGLONG SE_ERR_NOASSOC = 31;
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;

struct SHELLEXECUTEINFOA {
  DWORD cbSize = sizeof(SHELLEXECUTEINFOA);
  ULONG fMask = 0;
  HWND hwnd = nullptr;
  LPCSTR lpVerb = nullptr;
  LPCSTR lpFile = nullptr;
  LPCSTR lpParameters = nullptr;
  LPCSTR lpDirectory = nullptr;
  int nShow = SW_SHOWNORMAL;
  HINSTANCE hInstApp = nullptr;
  HANDLE hProcess = nullptr;
};

// Splits a command line into arguments by the rules of the C runtime: blanks separate,
// double quotes group, 2n backslashes before a quote give n and the quote counts, 2n+1 give
// n and a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The argument quoted so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

// This process's Windows command line, as the system keeps it.
std::string GetCommandLineA();

class Shell {
 public:
  Shell(Files& files, System& system) : files_(files), system_(system) {}
  virtual ~Shell() = default;

  // Above 32 on success, else an SE_ERR_* value.
  virtual HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                  LPCSTR directory, int show) = 0;
  virtual BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) = 0;

  // Starts a program (a Windows path) with a Windows command line; the child's process
  // handle, or null with the last error set.
  virtual HANDLE StartProgram(const std::string& program, const std::string& commandLine,
                              const std::string& directory) = 0;

  // The path a shell shortcut (".lnk" file) leads to, as the shell's link object resolves
  // it without searching; empty when the file is no shortcut or names no path.
  virtual std::string ShortcutTarget(const std::string& path) = 0;

  // Where a program name leads: itself when it has a folder, else the first of the current
  // folder, the Windows and system folders and the PATH folders that holds it (".exe" added
  // when the name has no extension).
  std::optional<std::string> FindProgram(const std::string& name);
  // A folder searched before all those: where the system's own programs cannot run here,
  // the machine's stand-ins for them (its registry editor) are found first.
  void SearchFirst(std::string folder) { firstFolders_.push_back(std::move(folder)); }

 protected:
  Files& files_;
  System& system_;

 private:
  std::vector<std::string> firstFolders_;
};

}  // namespace platform
