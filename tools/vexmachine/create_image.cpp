#include "create_image.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "foundation/folder_path.h"
#include "platform/machine.h"

namespace vexmachine {

namespace {

std::vector<std::string> SystemFolders(const std::string& user) {
  std::vector<std::string> folders = {
      "C:\\WINDOWS",
      "C:\\WINDOWS\\system32",
      "C:\\WINDOWS\\system32\\drivers\\etc",
      "C:\\WINDOWS\\Temp",
      "C:\\WINDOWS\\Tasks",
      "C:\\Program Files",
      "C:\\Program Files\\Common Files",
      "C:\\Program Files\\Internet Explorer",
  };
  const char* profileFolders[] = {
      "Desktop",
      "Favorites",
      "My Documents",
      "Start Menu\\Programs\\Startup",
      "Application Data",
      "Cookies",
      "NetHood",
      "PrintHood",
      "Recent",
      "SendTo",
      "Templates",
      "Local Settings\\Application Data",
      "Local Settings\\History",
      "Local Settings\\Temp",
      "Local Settings\\Temporary Internet Files",
  };
  for (const std::string& profile : {user, std::string("Default User")}) {
    for (const char* folder : profileFolders)
      folders.push_back("C:\\Documents and Settings\\" + profile + "\\" + folder);
  }
  for (const char* folder : {"Desktop", "Documents", "Favorites", "Start Menu\\Programs\\Startup",
                             "Application Data", "Templates"})
    folders.push_back(std::string("C:\\Documents and Settings\\All Users\\") + folder);
  return folders;
}

bool WriteTextFile(platform::Files& files, const std::string& path, const std::string& text) {
  using namespace platform;
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = files.WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

}  // namespace

std::string CreateImage(const std::string& root, const ImageOptions& options) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(root, error) && !fs::is_empty(root, error))
    return "not created: " + root + " exists and is not empty";
  if (options.user.empty() || !platform::IsValidFileName(platform::CodePage(), options.user))
    return "not a valid user name: " + options.user;
  fs::create_directories(fs::path(root) / "drives" / "C", error);
  if (!error) fs::create_directories(fs::path(root) / "objects", error);
  if (error) return "cannot create " + root + ": " + error.message();

  std::string problem;
  auto machine = platform::Machine::Open(root, &problem);
  if (!machine) return problem;
  platform::Files& files = machine->files();
  for (const std::string& folder : SystemFolders(options.user)) {
    if (!foundation::EnsureFolderPath(files, folder)) return "cannot create " + folder;
  }
  if (!WriteTextFile(files, "C:\\WINDOWS\\system32\\drivers\\etc\\hosts",
                     "# Host names of this machine, one address and name a line.\r\n"
                     "\r\n127.0.0.1       localhost\r\n"))
    return "cannot write the hosts file";
  return {};
}

}  // namespace vexmachine
