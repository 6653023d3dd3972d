// The log of one program run: an XML-like text file under the program folder's "Logs",
// opened by the first line written, with a header that records the program, the system,
// the options and what the machine starts by itself.
#pragma once

#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "foundation/time_text.h"
#include "platform/machine.h"

namespace logging {

// What the header of a new log file tells, gathered when the file is opened.
struct SessionLogSource {
  std::string appName;        // APPNAME: the file names start with it
  std::string programFolder;  // with its trailing backslash
  std::string programVersion;
  // The version and date of the loaded definitions (empty before a load).
  std::function<std::pair<std::string, std::string>()> databaseVersion;
  // A number of the user settings (0 when missing).
  std::function<platform::DWORD(const char* valueName)> readSetting;
  // Writes the autorun and startup-folder inventories through the given writer.
  std::function<void(const std::function<void(const std::string&)>& write)> writeInventories;
  // The local time to use; the clock when empty.
  std::function<std::time_t()> now;
};

using foundation::LogTime;

class SessionLog {
 public:
  SessionLog(platform::Machine& machine, SessionLogSource source);
  ~SessionLog();
  SessionLog(const SessionLog&) = delete;
  SessionLog& operator=(const SessionLog&) = delete;

  // Writes the text and a line end, opening the log first when needed; when it cannot be
  // opened the text is dropped and the next line tries again. Any thread may call it.
  void LogLine(const std::string& text);
  // Writes "</Session>" and the closing time into the Session line, and closes the file.
  void CloseSessionLog();

  bool IsOpen() const;
  const std::string& FilePath() const { return path_; }

 private:
  bool OpenSessionLog();  // with lock_ held
  void Write(const std::string& text);

  platform::Machine& machine_;
  SessionLogSource source_;
  mutable std::mutex lock_;  // guards file_ and path_, and keeps each line whole
  platform::HANDLE file_ = platform::INVALID_HANDLE_VALUE;
  std::string path_;
};

}  // namespace logging
