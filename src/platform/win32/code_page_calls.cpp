#include "platform/win32/code_page_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A code page that takes no flags (UTF-7, the ISO 2022 pages...) refuses them.
bool RefusedFlags() {
  const DWORD error = ::GetLastError();
  return error == ERROR_INVALID_FLAGS || error == ERROR_INVALID_PARAMETER;
}

}  // namespace

unsigned AnsiCodePage() {
  return ::GetACP();
}

bool ToUtf16(unsigned codePage, std::string_view text, std::u16string& out) {
  out.clear();
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int needed = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
  if (needed <= 0 && RefusedFlags()) {
    flags = 0;
    needed = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
  }
  if (needed <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed) != needed)
    return false;
  out.assign(wide.begin(), wide.end());
  return true;
}

bool FromUtf16(unsigned codePage, std::u16string_view units, std::string& out, bool& usedDefault) {
  out.clear();
  usedDefault = false;
  if (units.empty()) return true;
  const std::wstring wide(units.begin(), units.end());
  const int length = static_cast<int>(wide.size());
  // Best tried first: no look-alikes and "?" told apart; Windows 9x and NT 4 know no
  // WC_NO_BEST_FIT_CHARS; UTF-7, UTF-8 and a few more take neither flags nor a default.
  struct Attempt {
    DWORD flags;
    bool withDefault;
  };
  constexpr Attempt kAttempts[] = {{WC_NO_BEST_FIT_CHARS, true}, {0, true}, {0, false}};
  for (const Attempt& attempt : kAttempts) {
    BOOL defaulted = FALSE;
    BOOL* defaultedSlot = attempt.withDefault ? &defaulted : nullptr;
    const char* defaultCharacter = attempt.withDefault ? "?" : nullptr;
    const int needed = ::WideCharToMultiByte(codePage, attempt.flags, wide.data(), length, nullptr,
                                             0, defaultCharacter, defaultedSlot);
    if (needed <= 0) {
      if (RefusedFlags()) continue;
      return false;
    }
    out.assign(static_cast<std::size_t>(needed), '\0');
    defaulted = FALSE;
    if (::WideCharToMultiByte(codePage, attempt.flags, wide.data(), length, out.data(), needed,
                              defaultCharacter, defaultedSlot) != needed) {
      out.clear();
      return false;
    }
    usedDefault = defaulted != FALSE;
    return true;
  }
  return false;
}

}  // namespace win32
