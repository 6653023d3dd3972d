// rundll32.exe: "rundll32 DLLPATH,ENTRY [ARGS]" loads the library named by the Windows path
// and calls its entry as void ENTRY(HWND window, HINSTANCE instance, LPSTR arguments, int show),
// as the system's DLL runner does.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/image/image_machine.h"
#include "platform/shell.h"

namespace {

using Entry = void (*)(platform::HWND, void*, char*, int);

int Fail(const std::string& message) {
  std::fprintf(stderr, "rundll32: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main() {
  std::string error;
  auto machine = platform::ImageMachine::OfThisProcess(&error);
  if (!machine) return Fail(error);
  // The command line proper: what follows the program, "PATH,ENTRY" then the arguments.
  const std::string commandLine = platform::GetCommandLineA();
  const std::vector<std::string> words = platform::SplitCommandLine(commandLine);
  if (words.size() < 2) return Fail("usage: rundll32 DLLPATH,ENTRY [ARGS]");
  const std::string& target = words[1];
  const std::size_t comma = target.rfind(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 == target.size())
    return Fail("usage: rundll32 DLLPATH,ENTRY [ARGS]");
  const std::string library = target.substr(0, comma), entryName = target.substr(comma + 1);
  std::string arguments;
  const std::size_t at = commandLine.find(target);
  if (at != std::string::npos) {
    std::size_t start = at + target.size();
    while (start < commandLine.size() && commandLine[start] == ' ') ++start;
    arguments = commandLine.substr(start);
  }
  const auto host = machine->files().HostPathOf(library);
  if (!host) return Fail("cannot find " + library);
  void* handle = dlopen(host->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return Fail(std::string("cannot load ") + library + ": " + dlerror());
  auto entry = reinterpret_cast<Entry>(dlsym(handle, entryName.c_str()));
  if (!entry) return Fail("no entry " + entryName + " in " + library);
  std::vector<char> buffer(arguments.begin(), arguments.end());
  buffer.push_back('\0');
  entry(nullptr, handle, buffer.data(), platform::SW_SHOWNORMAL);
  return 0;
}
