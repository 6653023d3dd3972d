#include "ui/win32/rich_text_calls.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/windows_door.h"

// After <windows.h>: the rich edit control's messages.
#include <richedit.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win32::view {
namespace {

constexpr const char* kLibraryName = "riched20.dll";

HWND Window(void* window) {
  return static_cast<HWND>(window);
}

// The library registers the control's class; it stays loaded for the process.
bool LibraryLoaded() {
  static const bool loaded = ::LoadLibraryA(kLibraryName) != nullptr;
  return loaded;
}

// A multi-line edit control asks for every key; this one lets Tab, Enter and Escape go on to
// the dialog keys, so that a person who clicked into the text can still leave it.
LRESULT CALLBACK PassDialogKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  const LRESULT result = ::CallWindowProcA(original, window, message, wParam, lParam);
  if (message == WM_GETDLGCODE)
    return result & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
  return result;
}

struct Reading {
  const std::string* text;
  std::size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG room, LONG* given) {
  auto* reading = reinterpret_cast<Reading*>(cookie);
  const std::size_t count =
      std::min<std::size_t>(static_cast<std::size_t>(room), reading->text->size() - reading->at);
  std::memcpy(buffer, reading->text->data() + reading->at, count);
  reading->at += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

void* CreateRichText(void* parent, int id) {
  if (!LibraryLoaded()) return nullptr;
  HWND control = ::CreateWindowExA(
      0, RICHEDIT_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0,
      0, 0, Window(parent), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr);
  if (!control) return nullptr;
  const LONG_PTR original =
      ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassDialogKeys));
  ::SetWindowLongPtrA(control, GWLP_USERDATA, original);
  return control;
}

bool SetRichText(void* control, const std::string& rtf) {
  Reading reading{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reading);
  stream.pfnCallback = ReadRtf;
  ::SendMessageA(Window(control), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError == 0;
}

void SetRichTextBackground(void* control, Colour colour) {
  ::SendMessageA(Window(control), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
}

}  // namespace win32::view
