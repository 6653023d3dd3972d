#include "install_program.h"

#include <filesystem>

#include "app/branding_settings.h"
#include "app/user_settings.h"
#include "foundation/folder_path.h"
#include "foundation/setting_names.h"

namespace vexmachine {
namespace {

namespace fs = std::filesystem;
namespace setting = foundation::setting;

// The program's files; the ones marked optional are copied when the build made them.
struct ProgramFile {
  const char* name;
  bool required;
};
constexpr ProgramFile kProgramFiles[] = {
    {"Vexmarl.exe", true},   {"vexmarl-cli.exe", false}, {"Corvane.dll", false},
    {"resources.dll", true}, {"settings.xml", true},     {"database.db", true},
};

constexpr const char* kScanSwitches[] = {
    setting::kCustScanAdvSpyware, setting::kCustScanIeFav,    setting::kCustScanDrives,
    setting::kCustScanNonExe,     setting::kCustScanRegistry, setting::kCustScanActive,
    setting::kCustScanHosts,
};
constexpr const char* kFirstScanFolder = "C:\\";

bool ValueExists(platform::Registry& registry, const std::string& key, const char* value) {
  platform::HKEY handle = nullptr;
  if (registry.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, key.c_str(), 0, platform::KEY_READ,
                             &handle) != platform::ERROR_SUCCESS)
    return false;
  bool exists = registry.RegQueryValueExA(handle, value, nullptr, nullptr, nullptr, nullptr) ==
                platform::ERROR_SUCCESS;
  registry.RegCloseKey(handle);
  return exists;
}

std::string WriteFirstScanSettings(platform::Machine& machine, const std::string& folder) {
  platform::Files& files = machine.files();
  files.SetCurrentDirectoryA(folder.c_str());
  app::BrandingSettings branding;
  branding.Load(files, folder + "\\");
  if (std::string problem = branding.Problem(); !problem.empty()) return problem;

  platform::Registry& registry = machine.registry();
  const std::string key = "SOFTWARE\\" + branding.REGISTRYNAME;
  app::UserSettings settings(registry, branding.REGISTRYNAME);
  // On an attached installation the program's settings stay in the image, out of its hives.
  if (auto* image = dynamic_cast<platform::ImageMachine*>(&machine); image && image->Attached()) {
    // So is its start-up entry: the system's own start would find no program on drive X:.
    const std::string run = std::string("HKEY_LOCAL_MACHINE\\") + app::kRunKey;
    if (!image->Attached()->KeepInImage("HKEY_LOCAL_MACHINE\\" + key) ||
        !image->Attached()->KeepValueInImage(run, branding.APPNAME) ||
        !image->Attached()->KeepValueInImage(run, branding.REGISTRYNAME))
      return "cannot record the program's settings as the image's own";
  }
  platform::HKEY handle = nullptr;
  if (registry.RegCreateKeyExA(platform::HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                               platform::KEY_ALL_ACCESS, nullptr, &handle,
                               nullptr) != platform::ERROR_SUCCESS)
    return "cannot create the settings key HKEY_LOCAL_MACHINE\\" + key;
  registry.RegCloseKey(handle);
  // A second install keeps what the user chose since the first.
  for (const char* name : kScanSwitches)
    if (!ValueExists(registry, key, name) && !settings.SetNumber(name, 1))
      return std::string("cannot write ") + name;
  if (!ValueExists(registry, key, setting::kCustScanDrivesNum)) {
    settings.SetText((std::string(setting::kCustScanDrivesPrefix) + "1").c_str(), kFirstScanFolder);
    if (!settings.SetNumber(setting::kCustScanDrivesNum, 1))
      return std::string("cannot write ") + setting::kCustScanDrivesNum;
  }
  return {};
}

}  // namespace

std::string InstallProgram(platform::Machine& machine, const std::string& from,
                           const std::string& folder) {
  platform::Files& files = machine.files();
  if (!foundation::EnsureFolderPath(files, folder)) return "cannot create " + folder;
  auto target = files.HostPathOf(folder);
  if (!target) return "cannot reach " + folder;
  std::error_code error;
  for (const ProgramFile& file : kProgramFiles) {
    const fs::path source = fs::path(from) / file.name;
    if (!fs::exists(source)) {
      if (file.required) return "the build has no " + source.string();
      continue;
    }
    fs::copy_file(source, fs::path(*target) / file.name, fs::copy_options::overwrite_existing,
                  error);
    if (error) return "cannot copy " + source.string() + ": " + error.message();
  }
  const fs::path images = fs::path(from) / "images";
  if (fs::is_directory(images)) {
    if (!foundation::EnsureFolderPath(files, folder + "\\images")) return "cannot create images";
    auto imagesTarget = files.HostPathOf(folder + "\\images");
    if (!imagesTarget) return "cannot reach " + folder + "\\images";
    fs::copy(images, *imagesTarget,
             fs::copy_options::overwrite_existing | fs::copy_options::recursive, error);
    if (error) return "cannot copy the images: " + error.message();
  }
  return WriteFirstScanSettings(machine, folder);
}

}  // namespace vexmachine
