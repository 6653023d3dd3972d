// explorer.exe: the machine's file browser. "explorer FOLDER" prints the folder's listing as
// "dir" shows it (date, time, size or <DIR>, name) and, where a desktop session is present,
// shows the folder in the desktop's file manager.
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/image/desktop.h"
#include "platform/image/file_facts.h"
#include "platform/image/image_machine.h"
#include "platform/shell.h"

namespace {

using namespace platform;

int Fail(const std::string& message) {
  std::fprintf(stderr, "explorer: %s\n", message.c_str());
  return 1;
}

std::string WrittenText(const FILETIME& written) {
  const std::time_t seconds = UnixFromFileTime(written).seconds;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d  %H:%M", &local);
  return text;
}

}  // namespace

int main() {
  std::string error;
  auto machine = ImageMachine::OfThisProcess(&error);
  if (!machine) return Fail(error);
  std::vector<std::string> words = SplitCommandLine(GetCommandLineA());
  // "/e," and "/n," ask for the folder view: every folder is shown the same way here.
  std::string folder;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string word = words[i];
    for (const char* option : {"/e,", "/n,", "/root,"})
      if (word.rfind(option, 0) == 0) word = word.substr(std::string(option).size());
    if (!word.empty() && word[0] != '/') folder = word;
  }
  Files& files = machine->files();
  if (folder.empty()) folder = machine->system().FolderPath(CSIDL_PERSONAL).value_or("C:\\");
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const DWORD attributes = files.GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Fail("no such folder: " + folder);

  std::printf(" Folder of %s\n\n", folder.c_str());
  WIN32_FIND_DATAA found;
  const std::string pattern = folder + (folder.back() == '\\' ? "*" : "\\*");
  HANDLE find = files.FindFirstFileA(pattern.c_str(), &found);
  unsigned long long fileCount = 0, folderCount = 0, bytes = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string when = WrittenText(found.ftLastWriteTime);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ++folderCount;
        std::printf("%s    <DIR>          %s\n", when.c_str(), name.c_str());
      } else {
        ++fileCount;
        const unsigned long long size =
            (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        bytes += size;
        std::printf("%s %17llu %s\n", when.c_str(), size, name.c_str());
      }
    } while (files.FindNextFileA(find, &found));
    files.FindClose(find);
  }
  std::printf("%16llu File(s) %14llu bytes\n%16llu Dir(s)\n", fileCount, bytes, folderCount);
  std::fflush(stdout);
  if (DesktopSessionPresent()) {
    if (auto host = files.HostPathOf(folder)) StartDesktopProgram({"xdg-open", *host});
  }
  return 0;
}
