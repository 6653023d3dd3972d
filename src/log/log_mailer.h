// The logs of the program's runs made reachable: the Logs folder opened in the system's file
// browser, and chosen logs packed into a ZIP archive and handed to the system's mail client
// (Simple MAPI from "MAPI32.DLL"), addressed to the makers' log-collection address.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/prompt.h"

namespace logging {

inline constexpr const char* kLogsFilter =
    "LOG Files (*.log)|*.log|XML Files (*.xml)|*.xml|All files (*.*)|*.*||";
inline constexpr const char* kNoMailSystemText = "Unable to load mail system support.";
inline constexpr const char* kInvalidMailSystemText = "Mail system DLL is invalid.";
inline constexpr const char* kSendFailedText = "Send Mail failed to send message.";

// "C:\Program Files\Vexmarl\Logs" for the program folder "C:\Program Files\Vexmarl\".
std::string LogsFolderOf(const std::string& programFolder);

struct LogMail {
  std::string caption;  // of message boxes: the application's name
  std::string chooserTitle;
  std::string subject, body, address;
  std::string packFailedFormat;  // "... %s ...": the archive's path
};

enum class MailOutcome { Cancelled, NotPacked, NoMailSystem, InvalidMailSystem, Sent, Failed };

class LogMailer {
 public:
  LogMailer(platform::Machine& machine, platform::Prompt& prompt, std::string logsFolder,
            LogMail mail)
      : machine_(machine),
        prompt_(prompt),
        logsFolder_(std::move(logsFolder)),
        mail_(std::move(mail)) {}

  // Opens the Logs folder with the shell verb "open"; the shell's result (above 32 is
  // success).
  std::uintptr_t OpenLogsFolder(platform::HWND owner);
  // The name of the folder's file last written, folders skipped; nothing when it has none.
  std::optional<std::string> NewestLog();
  // The whole command: the chooser (starting on the newest log), the archive, the mail.
  // enableWindows(false) runs while the mail client has the message.
  MailOutcome MailLogs(platform::HWND owner, const std::function<void(bool)>& enableWindows);
  // The archive and the mail for files already chosen (Windows paths).
  MailOutcome MailFiles(const std::vector<std::string>& chosen, platform::HWND owner,
                        const std::function<void(bool)>& enableWindows);

  // The archive the last mailing made (kept when no mail system took it).
  const std::string& Archive() const { return archive_; }

 private:
  void Say(platform::HWND owner, const std::string& text);

  platform::Machine& machine_;
  platform::Prompt& prompt_;
  std::string logsFolder_;
  LogMail mail_;
  std::string archive_;
};

}  // namespace logging
