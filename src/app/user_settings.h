// The program's persistent options, scan selections, statistics and hand-over flags: values
// of the key HKEY_LOCAL_MACHINE\SOFTWARE\<REGISTRYNAME>, reached through four operations.
#pragma once

#include <string>

#include "foundation/setting_names.h"
#include "platform/registry.h"

namespace app {

class BrandingSettings;

namespace setting = foundation::setting;

// The key name that two accesses use whatever the brand: the options page's
// AutoProgramUpdate and the start-up update check's DownloadComplete.
inline constexpr const char* kFixedSettingsKeyName = "Vexmarl";

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kStartUpArgument = " -s";

class UserSettings {
 public:
  // keyName is the brand's REGISTRYNAME; the operations below name a key the same way.
  UserSettings(platform::Registry& registry, std::string keyName)
      : registry_(registry), keyName_(std::move(keyName)) {}

  // A REG_DWORD of the key, else the default (missing key or value, another type).
  platform::DWORD ReadNumber(const std::string& keyName, const char* valueName,
                             platform::DWORD defaultValue);
  // 1 when written; 0 when the key is missing or cannot be written (it is not created).
  int WriteNumber(const std::string& keyName, const char* valueName, platform::DWORD value);
  // The text, or empty when missing or longer than 1023 characters. Creates the key.
  std::string ReadText(const std::string& keyName, const char* valueName);
  // Creates the key when needed and writes the text without its terminating zero; 0.
  int WriteText(const std::string& keyName, const char* valueName, const std::string& text);

  // The same on the program's own key.
  platform::DWORD Number(const char* valueName, platform::DWORD defaultValue) {
    return ReadNumber(keyName_, valueName, defaultValue);
  }
  int SetNumber(const char* valueName, platform::DWORD value) {
    return WriteNumber(keyName_, valueName, value);
  }
  std::string Text(const char* valueName) { return ReadText(keyName_, valueName); }
  int SetText(const char* valueName, const std::string& text) {
    return WriteText(keyName_, valueName, text);
  }

  // The Windows start-up entry: APPNAME under the Run key holding programFolder + EXENAME +
  // " -s", unquoted. Turning it off blanks, then deletes, the REGISTRYNAME and the APPNAME
  // values.
  void SetWindowsStartUp(bool on, const BrandingSettings& branding,
                         const std::string& programFolder);

  const std::string& KeyName() const { return keyName_; }

 private:
  platform::Registry& registry_;
  std::string keyName_;
};

}  // namespace app
