#include "create_image.h"

#include <filesystem>
#include <vector>

#include "foundation/folder_path.h"
#include "foundation/whole_file.h"
#include "os_profiles.h"
#include "platform/image/image_machine.h"
#include "platform/scheduler.h"

namespace vexmachine {

namespace {

using namespace platform;

// The security identifier of the image's one user, and the computer's name.
constexpr const char* kUserSid = "S-1-5-21-1004336348-1177238915-682003330-1003";
constexpr const char* kComputerName = "WORKSTATION";

class RegistryWriter {
 public:
  explicit RegistryWriter(Registry& registry) : registry_(registry) {}

  void Key(HKEY root, const std::string& path) {
    HKEY key;
    if (registry_.RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) != ERROR_SUCCESS) {
      failed_ = path;
      return;
    }
    registry_.RegCloseKey(key);
  }

  void Text(HKEY root, const std::string& path, const std::string& name, const std::string& value,
            DWORD type = REG_SZ) {
    std::string data = value + '\0';
    Set(root, path, name, type, data);
  }

  void Number(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    Set(root, path, name, REG_DWORD, data);
  }

  const std::string& Failed() const { return failed_; }

 private:
  void Set(HKEY root, const std::string& path, const std::string& name, DWORD type,
           const std::string& data) {
    HKEY key;
    if (registry_.RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) != ERROR_SUCCESS ||
        registry_.RegSetValueExA(key, name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
      failed_ = path + "\\" + name;
    registry_.RegCloseKey(key);
  }

  Registry& registry_;
  std::string failed_;
};

void WriteIdentity(RegistryWriter& write, const OsProfile& os, const FolderSet& folders,
                   const ImageOptions& options) {
  const std::string windows = kWindowsVersionKey, nt = kNtVersionKey;
  const std::string controlSet = "SYSTEM\\ControlSet001";
  const std::string root = os.systemRoot;
  char version[32];
  if (os.nt) {
    std::snprintf(version, sizeof version, "%u.%u", os.major, os.minor);
    write.Text(HKEY_LOCAL_MACHINE, nt, "CurrentVersion", version);
    write.Text(HKEY_LOCAL_MACHINE, nt, "CurrentBuildNumber", std::to_string(os.build));
    write.Text(HKEY_LOCAL_MACHINE, nt, "CSDVersion", os.servicePack);
    write.Text(HKEY_LOCAL_MACHINE, nt, "ProductName", os.productName);
    write.Text(HKEY_LOCAL_MACHINE, nt, "SystemRoot", root);
    write.Text(HKEY_LOCAL_MACHINE, kWinlogonKey, "DefaultUserName", options.user);
    write.Text(HKEY_LOCAL_MACHINE, kWinlogonKey, "Shell", "Explorer.exe");
    write.Text(HKEY_LOCAL_MACHINE, kWinlogonKey, "Userinit", root + "\\system32\\userinit.exe,");
    write.Text(HKEY_LOCAL_MACHINE, kProfileListKey, "ProfilesDirectory", folders.profilesDirectory,
               REG_EXPAND_SZ);
    write.Text(HKEY_LOCAL_MACHINE, kProfileListKey, "AllUsersProfile", folders.allUsers);
    std::string profile = folders.profile;
    profile.replace(0, 2, "%SystemDrive%");
    write.Text(HKEY_LOCAL_MACHINE, std::string(kProfileListKey) + "\\" + kUserSid,
               "ProfileImagePath", profile, REG_EXPAND_SZ);
    write.Key(HKEY_USERS, kUserSid);
  } else {
    std::snprintf(version, sizeof version, "%u.%02u.%u", os.major, os.minor, os.build);
    write.Text(HKEY_LOCAL_MACHINE, windows, "VersionNumber", version);
    write.Text(HKEY_LOCAL_MACHINE, windows, "SubVersionNumber", os.servicePack);
    write.Text(HKEY_LOCAL_MACHINE, windows, "ProductName", os.productName);
    write.Text(HKEY_LOCAL_MACHINE, windows, "SystemRoot", root);
    write.Key(HKEY_LOCAL_MACHINE, windows + "\\RunServices");
    write.Text(HKEY_LOCAL_MACHINE, controlSet + "\\Control", "Current User", options.user);
  }
  write.Key(HKEY_USERS, ".DEFAULT");
  write.Text(HKEY_LOCAL_MACHINE, windows, "ProgramFilesDir", "C:\\Program Files");
  write.Text(HKEY_LOCAL_MACHINE, windows, "CommonFilesDir", "C:\\Program Files\\Common Files");
  write.Key(HKEY_LOCAL_MACHINE, windows + "\\Run");
  write.Key(HKEY_LOCAL_MACHINE, windows + "\\RunOnce");
  write.Number(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", "Current", 1);
  write.Number(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", "Default", 1);
  write.Text(HKEY_LOCAL_MACHINE, controlSet + "\\Control\\Nls\\CodePage", "ACP",
             std::to_string(options.codePage));
  write.Text(HKEY_LOCAL_MACHINE, controlSet + "\\Control\\ComputerName\\ComputerName",
             "ComputerName", kComputerName);
  const std::string environment = controlSet + "\\Control\\Session Manager\\Environment";
  const std::string system = os.nt ? "%SystemRoot%\\system32" : "%windir%\\SYSTEM";
  write.Text(HKEY_LOCAL_MACHINE, environment, "Path",
             system + ";" + (os.nt ? "%SystemRoot%" : "%windir%"), REG_EXPAND_SZ);
  write.Text(HKEY_LOCAL_MACHINE, environment, "ComSpec",
             system + (os.nt ? "\\cmd.exe" : "\\..\\COMMAND.COM"), REG_EXPAND_SZ);
  if (os.nt) write.Text(HKEY_LOCAL_MACHINE, environment, "OS", "Windows_NT");
  write.Text(HKEY_LOCAL_MACHINE, environment, "TEMP", os.nt ? "%SystemRoot%\\TEMP" : folders.temp,
             REG_EXPAND_SZ);
  write.Text(HKEY_LOCAL_MACHINE, environment, "TMP", os.nt ? "%SystemRoot%\\TEMP" : folders.temp,
             REG_EXPAND_SZ);

  // The user's own settings.
  write.Text(HKEY_CURRENT_USER, kUserEnvironmentKey, "TEMP", folders.temp, REG_EXPAND_SZ);
  write.Text(HKEY_CURRENT_USER, kUserEnvironmentKey, "TMP", folders.temp, REG_EXPAND_SZ);
  for (const auto& [name, path] : folders.userShellFolders) {
    write.Text(HKEY_CURRENT_USER, kShellFoldersKey, name, path);
    write.Text(HKEY_CURRENT_USER, kUserShellFoldersKey, name, path);
  }
  for (const auto& [name, path] : folders.commonShellFolders) {
    write.Text(HKEY_LOCAL_MACHINE, kShellFoldersKey, name, path);
    write.Text(HKEY_LOCAL_MACHINE, kUserShellFoldersKey, name, path);
  }
  write.Key(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  write.Key(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
  write.Key(HKEY_CURRENT_USER, "Software\\Classes");
  for (HKEY browserRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    const char* main = browserRoot == HKEY_CURRENT_USER
                           ? "Software\\Microsoft\\Internet Explorer\\Main"
                           : "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
    write.Text(browserRoot, main, "Start Page", "about:blank");
    write.Text(browserRoot, main, "Search Page", "about:blank");
  }

  // File types: registry files open in the registry editor, programs run themselves.
  write.Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.reg", "", "regfile");
  write.Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\regfile\\shell\\open\\command", "",
             "regedit.exe \"%1\"");
  write.Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.exe", "", "exefile");
  write.Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\exefile\\shell\\open\\command", "",
             "\"%1\" %*");
  // Folders open in the file browser.
  write.Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Folder\\shell\\open\\command", "",
             "explorer.exe \"%1\"");

  // The task scheduler: its class, and where its tasks are kept.
  write.Text(HKEY_LOCAL_MACHINE,
             "SOFTWARE\\Classes\\CLSID\\" + GuidText(CLSID_CTaskScheduler) + "\\InprocServer32", "",
             os.nt ? "%SystemRoot%\\System32\\mstask.dll" : "%windir%\\SYSTEM\\mstask.dll",
             REG_EXPAND_SZ);
  write.Text(HKEY_LOCAL_MACHINE, kSchedulingAgentKey, kTasksFolderValue,
             os.nt ? "%SystemRoot%\\Tasks" : "%windir%\\Tasks", REG_EXPAND_SZ);
}

// Copies a host program into the image as a Windows program file.
bool InstallProgram(Files& files, const std::string& hostProgram, const std::string& windowsPath) {
  namespace fs = std::filesystem;
  auto target = files.HostPathOf(windowsPath);
  std::error_code error;
  if (!target || !fs::copy_file(hostProgram, *target, fs::copy_options::overwrite_existing, error))
    return false;
  fs::permissions(*target, fs::perms(0755), error);
  return !error;
}

}  // namespace

std::string CreateImage(const std::string& root, const ImageOptions& options) {
  namespace fs = std::filesystem;
  const OsProfile* os = FindOsProfile(options.os);
  if (!os) return "unknown system " + options.os + " (one of " + OsProfileNames() + ")";
  if (options.user.empty() || !IsValidFileName(CodePage(), options.user))
    return "not a valid user name: " + options.user;
  std::error_code error;
  if (fs::exists(root, error) && !fs::is_empty(root, error))
    return "not created: " + root + " exists and is not empty";
  fs::create_directories(fs::path(root) / "drives" / "C", error);
  if (!error) fs::create_directories(fs::path(root) / "objects", error);
  if (error) return "cannot create " + root + ": " + error.message();

  const FolderSet folders = FoldersFor(*os, options.user);
  {
    std::string problem;
    auto registry = ImageRegistry::Open(root + "/registry.db", options.codePage, &problem);
    if (!registry) return "cannot create the registry: " + problem;
    ImageRegistry::Transaction transaction(*registry);
    RegistryWriter write(*registry);
    WriteIdentity(write, *os, folders, options);
    if (!write.Failed().empty()) return "cannot write the registry at " + write.Failed();
    if (!transaction.Commit()) return "cannot store the registry";
  }

  std::string problem;
  auto machine = ImageMachine::Open(root, &problem);
  if (!machine) return problem;
  Files& files = machine->files();
  for (const std::string& folder : folders.folders) {
    if (!foundation::EnsureFolderPath(files, folder)) return "cannot create " + folder;
  }
  const std::string windows = machine->system().WindowsDirectory();
  const std::string hosts =
      os->nt ? machine->system().SystemDirectory() + "\\drivers\\etc\\hosts" : windows + "\\HOSTS";
  if (!foundation::WriteWholeFile(files, hosts,
                                  "# Host names of this machine, one address and name a line.\r\n"
                                  "\r\n127.0.0.1       localhost\r\n",
                                  CREATE_NEW))
    return "cannot write " + hosts;
  // The system libraries the program binds by name: the process-status library exists on the
  // NT family only; the native library on NT, the kernel everywhere.
  const std::string systemFolder = machine->system().SystemDirectory() + "\\";
  std::vector<std::string> libraries = {"kernel32.dll", "mstask.dll"};
  if (os->nt) libraries.insert(libraries.end(), {"psapi.dll", "ntdll.dll"});
  for (const std::string& library : libraries) {
    if (!foundation::WriteWholeFile(files, systemFolder + library,
                                    "A system library of this machine.\r\n", CREATE_NEW))
      return "cannot write " + systemFolder + library;
  }
  if (!options.programsFolder.empty() &&
      !InstallProgram(files, options.programsFolder + "/regedit", windows + "\\regedit.exe"))
    return "cannot install " + windows + "\\regedit.exe from " + options.programsFolder;
  if (!foundation::EnsureFolderPath(files, windows + "\\Tasks"))
    return "cannot create the tasks folder";
  // The DLL runner, the file browser and the mail system, where programs find them.
  const std::pair<const char*, std::string> systemPrograms[] = {
      {"rundll32", systemFolder + "rundll32.exe"},
      {"explorer", windows + "\\explorer.exe"},
      {"MAPI32.DLL", systemFolder + "MAPI32.DLL"}};
  for (const auto& [built, target] : systemPrograms) {
    if (!options.programsFolder.empty() &&
        !InstallProgram(files, options.programsFolder + "/" + built, target))
      return "cannot install " + target + " from " + options.programsFolder;
  }
  return {};
}

}  // namespace vexmachine
