// MAPI32.DLL of the tests: a mail system that sends nothing. Its MAPISendMail, exported by
// its plain name with the system's calling convention and reading the message through the
// system's own <mapi.h> records, writes what it was handed into MAPI32.txt beside itself and
// copies each attachment there (MAPI32-1.bin, MAPI32-2.bin ...), as the caller may delete its
// files once the call returns. Put in a program's folder, it comes before the system's.
#include "platform/win32/windows_door.h"

// After <windows.h>: the records need its types.
#include <mapi.h>

#include <cstdio>
#include <string>

namespace {

HINSTANCE self = nullptr;
unsigned copies = 0;

std::string Beside(const std::string& name) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(self, path, MAX_PATH);
  std::string folder(path, length);
  folder.erase(folder.rfind('\\') + 1);
  return folder + name;
}

std::string Quoted(const char* text) {
  return text ? '"' + std::string(text) + '"' : "null";
}

const char* ClassName(ULONG recipientClass) {
  switch (recipientClass) {
    case MAPI_ORIG:
      return "from";
    case MAPI_TO:
      return "to";
    case MAPI_CC:
      return "cc";
    case MAPI_BCC:
      return "bcc";
  }
  return "?";
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMail(LHANDLE session, ULONG_PTR window, lpMapiMessage message, FLAGS flags,
                 ULONG reserved) {
  std::string record = "session " + std::to_string(session) + ", window " + std::to_string(window) +
                       ", flags " + std::to_string(flags) + ", reserved " +
                       std::to_string(reserved) + "\n";
  if (!message) return MAPI_E_FAILURE;
  for (ULONG i = 0; i < message->nRecipCount; ++i) {
    const MapiRecipDesc& recipient = message->lpRecips[i];
    record += std::string("recipient: ") + ClassName(recipient.ulRecipClass) + " " +
              Quoted(recipient.lpszName) + " " + Quoted(recipient.lpszAddress) + "\n";
  }
  record += "subject: " + Quoted(message->lpszSubject) + "\n";
  record += "text: " + Quoted(message->lpszNoteText) + "\n";
  for (ULONG i = 0; i < message->nFileCount; ++i) {
    const MapiFileDesc& file = message->lpFiles[i];
    const std::string copy = "MAPI32-" + std::to_string(++copies) + ".bin";
    if (!file.lpszPathName || !::CopyFileA(file.lpszPathName, Beside(copy).c_str(), FALSE))
      return MAPI_E_ATTACHMENT_NOT_FOUND;
    record += "attachment: " + Quoted(file.lpszPathName) + " named " + Quoted(file.lpszFileName) +
              " at " + std::to_string(file.nPosition) + ", copied to " + copy + "\n";
  }
  std::FILE* out = std::fopen(Beside("MAPI32.txt").c_str(), "ab");
  if (!out) return MAPI_E_FAILURE;
  const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
  return std::fclose(out) == 0 && written ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}
