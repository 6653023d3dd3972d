// What a machine image tells about itself, read from its registry where Windows keeps it:
// version, user, code page, environment strings, shell folders; and the English texts of
// the status codes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/image/image_registry.h"
#include "platform/system.h"

namespace platform {

class ImageSystem : public System {
 public:
  explicit ImageSystem(ImageRegistry& registry) : System(registry), imageRegistry_(registry) {}

  // The 8.3 form of an existing path, which the NT systems before Vista give the user's
  // TEMP and TMP in (so that they hold no blank); set by the machine once its files exist.
  using ShortPathForm = std::function<std::optional<std::string>(const std::string& path)>;
  bool RunsOffline() override { return offline_; }
  void SetOffline(bool offline) { offline_ = offline; }
  void SetShortPathForm(ShortPathForm form) { shortPathForm_ = std::move(form); }

  BOOL GetVersionExA(OSVERSIONINFOA* version) override;
  BOOL GetUserNameA(LPSTR buffer, DWORD* size) override;
  UINT GetACP() override;
  UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override;
  UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override;
  DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) override;
  DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) override;
  HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) override;
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       LPSTR buffer, DWORD size, void* arguments) override;

  // Every environment string a program of the image starts with, in order.
  std::vector<std::pair<std::string, std::string>> EnvironmentBlock();

 private:
  bool IsNt();
  std::optional<std::string> RegistryUserName();
  std::string WindowsFolder();
  std::string SystemFolder();
  std::optional<std::string> Variable(const std::string& name);
  std::string ExpandText(const std::string& text);
  std::optional<std::string> FolderOf(int folder);
  std::optional<std::string> ProfilePath();
  std::string ExpandWith(const std::string& text,
                         const std::vector<std::pair<std::string, std::string>>& block);

  ImageRegistry& imageRegistry_;
  ShortPathForm shortPathForm_;
  bool offline_ = false;  // an attached installation
};

// The English text Windows gives for a system status code, with its line end.
std::optional<std::string> SystemMessageText(DWORD code);

}  // namespace platform
