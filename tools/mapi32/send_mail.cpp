// MAPI32.DLL: the machine's Simple MAPI. MAPISendMail writes the message as an Internet mail
// file into the user's outbox ("Local Settings\Application Data\Outbox" of the profile) and,
// where a desktop session is present, hands it to the desktop's mail client with its
// attachments. The library carries its own machine layer and finds the machine of the
// process that loads it.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>

#include "mail_message.h"
#include "platform/handles.h"
#include "platform/image/desktop.h"
#include "platform/image/image_machine.h"
#include "platform/mail.h"

// After the machine layer: glib defines TRUE and FALSE as macros.
#include <glib.h>

namespace {

using namespace platform;

constexpr DWORD kLargestAttachment = 256u << 20;
constexpr const char* kOutboxName = "Outbox";
constexpr const char* kAddressPrefix = "SMTP:";

std::string Utf8(const CodePage& code, const char* text) {
  if (!text) return {};
  const std::u16string wide = code.ToUtf16(text);
  gchar* converted = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(wide.data()),
                                     static_cast<glong>(wide.size()), nullptr, nullptr, nullptr);
  std::string result = converted ? converted : "";
  g_free(converted);
  return result;
}

// The address without the "SMTP:" a MAPI address type puts before it.
std::string PlainAddress(const std::string& address) {
  if (address.size() >= 5 && g_ascii_strncasecmp(address.c_str(), kAddressPrefix, 5) == 0)
    return address.substr(5);
  return address;
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

ULONG ReadAttachment(Files& files, const std::string& path, std::string& bytes) {
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
               ? MAPI_E_ATTACHMENT_NOT_FOUND
               : MAPI_E_ATTACHMENT_OPEN_FAILURE;
  char block[65536];
  DWORD read = 0;
  bool fine = true;
  while ((fine = files.ReadFile(file, block, sizeof block, &read, nullptr)) && read > 0) {
    bytes.append(block, read);
    if (bytes.size() > kLargestAttachment) {
      fine = false;  // more than a mail carries
      break;
    }
  }
  CloseHandle(file);
  return fine ? SUCCESS_SUCCESS : MAPI_E_ATTACHMENT_OPEN_FAILURE;
}

std::string OutboxFolder(Machine& machine) {
  System& system = machine.system();
  std::optional<std::string> base = system.FolderPath(CSIDL_LOCAL_APPDATA);
  if (!base) base = system.FolderPath(CSIDL_APPDATA);
  if (!base) base = system.WindowsDirectory();
  return *base + "\\" + kOutboxName;
}

bool EnsureFolder(Files& files, const std::string& folder) {
  if (files.GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const std::size_t slash = folder.rfind('\\');
  if (slash != std::string::npos && slash > 2 && !EnsureFolder(files, folder.substr(0, slash)))
    return false;
  return files.CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A name no other message of the outbox has: the time, this process and a counter.
std::string MessageStem() {
  static std::atomic<unsigned> counter{0};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stem[64];
  std::snprintf(stem, sizeof stem, "%04d%02d%02d-%02d%02d%02d-%d-%u", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(getpid()), counter++);
  return stem;
}

ULONG WriteFileWhole(Files& files, const std::string& path, const std::string& bytes) {
  const std::string partial = path + ".partial";
  HANDLE file = files.CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return MAPI_E_FAILURE;
  DWORD wrote = 0;
  bool fine =
      files.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
      wrote == bytes.size() && files.FlushFileBuffers(file);
  const DWORD error = fine ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  if (fine) fine = files.MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (fine) return SUCCESS_SUCCESS;
  files.DeleteFileA(partial.c_str());
  return error == ERROR_DISK_FULL ? MAPI_E_DISK_FULL : MAPI_E_FAILURE;
}

// The desktop's mail client composes the message itself; it gets copies of the attachments
// that stay in the outbox, as the caller may delete its files once the call returns.
void HandToDesktop(Files& files, const std::string& outbox, const std::string& stem,
                   const mapi::OutgoingMail& mail) {
  std::vector<std::string> arguments = {"xdg-email", "--subject", mail.subject, "--body",
                                        mail.body};
  const std::string copies = outbox + "\\" + stem;
  for (const mapi::Attachment& attachment : mail.attachments) {
    if (!EnsureFolder(files, copies)) return;
    const std::string copy = copies + "\\" + NameOf(attachment.name);
    if (WriteFileWhole(files, copy, attachment.bytes) != SUCCESS_SUCCESS) return;
    auto host = files.HostPathOf(copy);
    if (!host) return;
    arguments.insert(arguments.end(), {"--attach", *host});
  }
  for (const mapi::Mailbox& box : mail.to) arguments.push_back(box.address);
  StartDesktopProgram(arguments);
}

ULONG SendMail(Machine& machine, const MapiMessage& message) {
  const CodePage& code = machine.Code();
  Files& files = machine.files();
  System& system = machine.system();
  mapi::OutgoingMail mail;
  const std::string user = system.UserName().value_or("user");
  std::string computer = system.EnvironmentVariable("COMPUTERNAME").value_or("localhost");
  mail.from.name = Utf8(code, user.c_str());
  std::string local;
  for (char c : user)
    local += g_ascii_isalnum(c) || c == '.' || c == '-' || c == '_' ? g_ascii_tolower(c) : '.';
  for (char& c : computer) c = g_ascii_tolower(c);
  mail.from.address = local + "@" + computer;
  mail.messageIdDomain = computer;
  mail.subject = Utf8(code, message.lpszSubject);
  mail.body = Utf8(code, message.lpszNoteText);
  if (message.nRecipCount && !message.lpRecips) return MAPI_E_INVALID_RECIPS;
  for (ULONG i = 0; i < message.nRecipCount; ++i) {
    const MapiRecipDesc& recipient = message.lpRecips[i];
    mapi::Mailbox box;
    box.address = PlainAddress(Utf8(code, recipient.lpszAddress));
    box.name = Utf8(code, recipient.lpszName);
    if (box.address.empty()) box.address = box.name;
    if (box.address.empty()) return MAPI_E_INVALID_RECIPS;
    switch (recipient.ulRecipClass) {
      case MAPI_TO:
        mail.to.push_back(box);
        break;
      case MAPI_CC:
        mail.cc.push_back(box);
        break;
      case MAPI_BCC:
        mail.bcc.push_back(box);
        break;
      default:
        return MAPI_E_BAD_RECIPTYPE;
    }
  }
  if (mail.to.empty() && mail.cc.empty() && mail.bcc.empty()) return MAPI_E_INVALID_RECIPS;
  if (message.nFileCount && !message.lpFiles) return MAPI_E_ATTACHMENT_NOT_FOUND;
  for (ULONG i = 0; i < message.nFileCount; ++i) {
    const MapiFileDesc& file = message.lpFiles[i];
    if (!file.lpszPathName) return MAPI_E_ATTACHMENT_NOT_FOUND;
    mapi::Attachment attachment;
    attachment.name =
        Utf8(code, file.lpszFileName ? file.lpszFileName : NameOf(file.lpszPathName).c_str());
    if (const ULONG failed = ReadAttachment(files, file.lpszPathName, attachment.bytes))
      return failed;
    mail.attachments.push_back(std::move(attachment));
  }
  const std::string outbox = OutboxFolder(machine);
  if (!EnsureFolder(files, outbox)) return MAPI_E_FAILURE;
  const std::string stem = MessageStem();
  if (const ULONG failed =
          WriteFileWhole(files, outbox + "\\" + stem + ".eml", mapi::ComposeMail(mail)))
    return failed;
  if (DesktopSessionPresent()) HandToDesktop(files, outbox, stem, mail);
  return SUCCESS_SUCCESS;
}

}  // namespace

extern "C" ULONG MAPISendMail(LHANDLE, std::uintptr_t, MapiMessage* message, FLAGS, ULONG) {
  if (!message) return MAPI_E_FAILURE;
  auto machine = ImageMachine::OfThisProcess();
  if (!machine) return MAPI_E_FAILURE;
  try {
    return SendMail(*machine, *message);
  } catch (const std::bad_alloc&) {
    return MAPI_E_INSUFFICIENT_MEMORY;
  }
}
