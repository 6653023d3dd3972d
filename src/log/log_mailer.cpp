#include "log/log_mailer.h"

#include "foundation/text_format.h"
#include "log/log_archive.h"
#include "platform/mail.h"

namespace logging {
namespace {

using namespace platform;

bool Later(const FILETIME& a, const FILETIME& b) {
  return a.dwHighDateTime != b.dwHighDateTime ? a.dwHighDateTime > b.dwHighDateTime
                                              : a.dwLowDateTime > b.dwLowDateTime;
}

}  // namespace

std::string LogsFolderOf(const std::string& programFolder) {
  std::string folder = programFolder;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\Logs";
}

void LogMailer::Say(HWND owner, const std::string& text) {
  prompt_.MessageBoxA(owner, text.c_str(), mail_.caption.c_str(), MB_OK | MB_ICONWARNING);
}

std::uintptr_t LogMailer::OpenLogsFolder(HWND owner) {
  return reinterpret_cast<std::uintptr_t>(machine_.shell().ShellExecuteA(
      owner, "open", logsFolder_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

std::optional<std::string> LogMailer::NewestLog() {
  Files& files = machine_.files();
  WIN32_FIND_DATAA found;
  HANDLE find = files.FindFirstFileA((logsFolder_ + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> newest;
  FILETIME newestTime;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!newest || Later(found.ftLastWriteTime, newestTime)) {
      newest = found.cFileName;
      newestTime = found.ftLastWriteTime;
    }
  } while (files.FindNextFileA(find, &found));
  files.FindClose(find);
  return newest;
}

MailOutcome LogMailer::MailLogs(HWND owner, const std::function<void(bool)>& enableWindows) {
  const auto chosen =
      prompt_.ChooseFiles(mail_.chooserTitle, logsFolder_, NewestLog().value_or(""), kLogsFilter);
  if (!chosen || chosen->empty()) return MailOutcome::Cancelled;
  return MailFiles(*chosen, owner, enableWindows);
}

MailOutcome LogMailer::MailFiles(const std::vector<std::string>& chosen, HWND owner,
                                 const std::function<void(bool)>& enableWindows) {
  Files& files = machine_.files();
  archive_ = ArchivePathFor(files, chosen, logsFolder_);
  if (!PackFiles(files, archive_, chosen)) {
    Say(owner, foundation::FormatText(mail_.packFailedFormat, {archive_}));
    archive_.clear();
    return MailOutcome::NotPacked;
  }
  Libraries& libraries = machine_.libraries();
  HMODULE library = libraries.LoadLibraryA(kMailLibraryName);
  if (!library) {
    Say(owner, kNoMailSystemText);
    return MailOutcome::NoMailSystem;
  }
  auto send = reinterpret_cast<LPMAPISENDMAIL>(libraries.GetProcAddress(library, kSendMailEntry));
  if (!send) {
    libraries.FreeLibrary(library);
    Say(owner, kInvalidMailSystemText);
    return MailOutcome::InvalidMailSystem;
  }
  std::string subject = mail_.subject, body = mail_.body, name = mail_.address,
              address = "SMTP:" + mail_.address, attachment = archive_;
  MapiRecipDesc recipient;
  recipient.ulRecipClass = MAPI_TO;
  recipient.lpszName = name.data();
  recipient.lpszAddress = address.data();
  MapiFileDesc file;
  file.nPosition = 0xFFFFFFFF;
  file.lpszPathName = attachment.data();
  MapiMessage message;
  message.lpszSubject = subject.data();
  message.lpszNoteText = body.data();
  message.nRecipCount = 1;
  message.lpRecips = &recipient;
  message.nFileCount = 1;
  message.lpFiles = &file;
  if (enableWindows) enableWindows(false);
  const ULONG result =
      send(0, reinterpret_cast<std::uintptr_t>(owner), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
  if (enableWindows) enableWindows(true);
  const bool sent =
      result == SUCCESS_SUCCESS || result == MAPI_USER_ABORT || result == MAPI_E_LOGON_FAILURE;
  if (!sent) Say(owner, kSendFailedText);
  libraries.FreeLibrary(library);
  // The mail system has its own copy of the attachment by now.
  files.DeleteFileA(archive_.c_str());
  return sent ? MailOutcome::Sent : MailOutcome::Failed;
}

}  // namespace logging
