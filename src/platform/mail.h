// Simple MAPI as the machine's mail system offers it: the records and codes of
// MAPISendMail, which "MAPI32.DLL" of the system folder exports.
#pragma once

#include "platform/win32_types.h"

namespace platform {

using LHANDLE = std::uintptr_t;
using FLAGS = ULONG;

constexpr ULONG MAPI_ORIG = 0;
constexpr ULONG MAPI_TO = 1;
constexpr ULONG MAPI_CC = 2;
constexpr ULONG MAPI_BCC = 3;

constexpr FLAGS MAPI_LOGON_UI = 0x00000001;
constexpr FLAGS MAPI_DIALOG = 0x00000008;

constexpr ULONG SUCCESS_SUCCESS = 0;
constexpr ULONG MAPI_USER_ABORT = 1;
constexpr ULONG MAPI_E_FAILURE = 2;
constexpr ULONG MAPI_E_LOGON_FAILURE = 3;
constexpr ULONG MAPI_E_DISK_FULL = 4;
constexpr ULONG MAPI_E_INSUFFICIENT_MEMORY = 5;
constexpr ULONG MAPI_E_ATTACHMENT_NOT_FOUND = 11;
constexpr ULONG MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
constexpr ULONG MAPI_E_UNKNOWN_RECIPIENT = 14;
constexpr ULONG MAPI_E_BAD_RECIPTYPE = 15;
constexpr ULONG MAPI_E_INVALID_MESSAGE = 17;
constexpr ULONG MAPI_E_INVALID_RECIPS = 25;

struct MapiRecipDesc {
  ULONG ulReserved = 0;
  ULONG ulRecipClass = MAPI_TO;
  LPSTR lpszName = nullptr;
  LPSTR lpszAddress = nullptr;
  ULONG ulEIDSize = 0;
  void* lpEntryID = nullptr;
};

struct MapiFileDesc {
  ULONG ulReserved = 0;
  ULONG flFlags = 0;
  ULONG nPosition = 0xFFFFFFFF;  // anywhere in the body
  LPSTR lpszPathName = nullptr;
  LPSTR lpszFileName = nullptr;
  void* lpFileType = nullptr;
};

struct MapiMessage {
  ULONG ulReserved = 0;
  LPSTR lpszSubject = nullptr;
  LPSTR lpszNoteText = nullptr;
  LPSTR lpszMessageType = nullptr;
  LPSTR lpszDateReceived = nullptr;
  LPSTR lpszConversationID = nullptr;
  FLAGS flFlags = 0;
  MapiRecipDesc* lpOriginator = nullptr;
  ULONG nRecipCount = 0;
  MapiRecipDesc* lpRecips = nullptr;
  ULONG nFileCount = 0;
  MapiFileDesc* lpFiles = nullptr;
};

using LPMAPISENDMAIL = ULONG(VX_STDCALL*)(LHANDLE session, std::uintptr_t uiParam,
                                          MapiMessage* message, FLAGS flags, ULONG reserved);

inline constexpr const char* kMailLibraryName = "MAPI32.DLL";
inline constexpr const char* kSendMailEntry = "MAPISendMail";

}  // namespace platform
