#include "log/session_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/folder_path.h"
#include "foundation/os_identity.h"
#include "foundation/setting_names.h"
#include "platform/windows_path.h"

namespace logging {

using namespace platform;

namespace {

struct OptionLine {
  const char* setting;
  const char* label;
};

constexpr OptionLine kOptionLines[] = {
    {foundation::setting::kCustScanAdvSpyware, "AdvSpyware Scan"},
    {foundation::setting::kCustScanIeFav, "Scan IE Favorites"},
    {foundation::setting::kCustScanHosts, "Scan Host Files"},
    {foundation::setting::kCustScanDrives, "Scan Drives"},
    {foundation::setting::kCustScanNonExe, "Do Not Scan Executables"},
    {foundation::setting::kCustScanRegistry, "Scan Registry"},
    {foundation::setting::kCustScanActive, "Scan Active Processes"},
    {foundation::setting::kAutoDatabaseUpdate, "Automatic Database Update"},
    {foundation::setting::kAutoProgramUpdate, "Automatic Program Update"},
    {foundation::setting::kAutomaticRemoval, "Automatic Removal"},
    {foundation::setting::kExitWhenFinished, "Exit When Finished"},
};

}  // namespace

SessionLog::SessionLog(Machine& machine, SessionLogSource source)
    : machine_(machine), source_(std::move(source)) {
  if (!source_.now) source_.now = [] { return std::time(nullptr); };
}

SessionLog::~SessionLog() {
  std::lock_guard guard(lock_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool SessionLog::IsOpen() const {
  std::lock_guard guard(lock_);
  return file_ != INVALID_HANDLE_VALUE;
}

void SessionLog::Write(const std::string& text) {
  DWORD written = 0;
  machine_.files().WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written,
                             nullptr);
}

void SessionLog::LogLine(const std::string& text) {
  std::lock_guard guard(lock_);
  if (file_ == INVALID_HANDLE_VALUE && !OpenSessionLog()) return;  // dropped; the next line retries
  Write(text);
  Write("\n");
}

bool SessionLog::OpenSessionLog() {
  Files& files = machine_.files();
  if (!foundation::EnsureFolderPath(files, source_.programFolder + "Logs")) return false;
  const std::time_t opened = source_.now();
  const std::tm local = foundation::LocalTime(opened);
  char name[96];
  std::snprintf(name, sizeof name, "Log %02d-%02d-%02d %02d-%02d-%02d.Log", local.tm_mday,
                local.tm_mon + 1, local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec);
  // The brand's name comes from a settings file: it must not lead the log out of the folder
  // or past the longest path, so that no line is lost to a name that cannot be made.
  const std::string folder = source_.programFolder + "Logs\\";
  const std::size_t room =
      MAX_PATH - 1 - std::min<std::size_t>(MAX_PATH - 1, folder.size() + std::strlen(name));
  const std::string path = folder + FileNamePart(machine_.Code(), source_.appName, room) + name;
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Two runs in the same second share the file: the second one goes on at its end.
  files.SetFilePointer(file, 0, nullptr, FILE_END);
  file_ = file;
  path_ = path;

  const std::string time = LogTime(opened);
  // The four information lines are texts ending in a line end that go through LogLine, which
  // adds one more: each is followed by an empty line. The declaration, the Session line, the
  // options and the inventories are written straight.
  const std::string kLineEnd = "\n";
  Write("<?xml version = \"1.0\"?>\n");
  Write("<Session START = \"" + time + "\" END = \"" + time + "\">\n");
  auto [databaseVersion, databaseDate] =
      source_.databaseVersion ? source_.databaseVersion() : std::pair<std::string, std::string>();
  Write("<Information Version = \"" + source_.programVersion + "\" DatabaseVersion = \"" +
        databaseVersion + "\" DataBaseDate = \"" + databaseDate + "\"/>\n" + kLineEnd);
  foundation::OsVersionName os;
  foundation::GetOsVersionName(machine_.system(), os);
  std::string servicePack;
  foundation::OsIdentifier(machine_.system(), servicePack);
  Write("<Information OS = \"" + os.name + "\"/>\n" + kLineEnd);
  Write("<Information ServicePack = \"" + (servicePack.empty() ? "Unknown or None" : servicePack) +
        "\"/>\n" + kLineEnd);
  Write("<Information WorkingDirectory = \"" + source_.programFolder + "\"/>\n" + kLineEnd);
  for (const OptionLine& option : kOptionLines) {
    const bool on = source_.readSetting && source_.readSetting(option.setting) != 0;
    Write(std::string("<Information Option = \"") + option.label + "\" State = \"" +
          (on ? "ON" : "OFF") + "\"/>\n");
  }
  if (source_.writeInventories)
    source_.writeInventories([this](const std::string& text) { Write(text); });
  return true;
}

void SessionLog::CloseSessionLog() {
  std::lock_guard guard(lock_);
  if (file_ == INVALID_HANDLE_VALUE) return;
  Files& files = machine_.files();
  Write("</Session>\n");
  Write("\n");
  files.FlushFileBuffers(file_);
  // END of the file's first Session line gets the closing time, in the same width.
  char head[101] = {};
  DWORD read = 0;
  files.SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  files.ReadFile(file_, head, 100, &read, nullptr);
  const std::string start(head, read);
  if (std::size_t end = start.find("END"); end != std::string::npos) {
    files.SetFilePointer(file_, static_cast<LONG>(end), nullptr, FILE_BEGIN);
    Write("END = \"" + LogTime(source_.now()) + "\"");
  }
  files.FlushFileBuffers(file_);
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

}  // namespace logging
