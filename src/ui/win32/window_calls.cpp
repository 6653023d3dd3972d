#include "ui/win32/window_calls.h"

#include <cstring>

#include "platform/win32/windows_door.h"

// After <windows.h>: the list views' notifications and the mouse's leaving.
#include <commctrl.h>
#include <windowsx.h>

#include "ui/win32/paint_calls.h"

// This module's own base address, for its window classes.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win32::view {
namespace {

static_assert(kClicked == BN_CLICKED);
static_assert(kEditChanged == EN_CHANGE);
static_assert(kFirstViewMessage == WM_APP);
static_assert(kMouseMoveMessage == WM_MOUSEMOVE);
static_assert(kMouseLeaveMessage == WM_MOUSELEAVE);
static_assert(sizeof(MSG) <= sizeof(QueuedMessage::system));
static_assert(sizeof(Colour) == sizeof(COLORREF));

constexpr const char* kTopClass = "VexmarlFrame";
constexpr const char* kPanelClass = "VexmarlPanel";
// DM_GETDEFID, DM_SETDEFID and DM_REPOSITION come before the program's own messages.
constexpr UINT kFirstProgramMessage = WM_USER + 3;
constexpr UINT kLastProgramMessage = 0xBFFF;
constexpr const char* kFocusProperty = "VexmarlFocus";

HINSTANCE Module() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HWND Window(void* window) {
  return static_cast<HWND>(window);
}

Rect RectOf(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

WindowEvents* EventsOf(HWND window) {
  return reinterpret_cast<WindowEvents*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool IsListView(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  return ::lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

// A list view's notifications, for the receiver; handled is set where the answer matters.
LRESULT ListNotification(WindowEvents& events, NMHDR* header, bool* handled) {
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      const UINT before = (change->uOldState & LVIS_STATEIMAGEMASK) >> 12;
      const UINT after = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
      // A row just inserted gets its first check box image: that is no change of tick.
      if ((change->uChanged & LVIF_STATE) && before && after && before != after) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = change->iItem;
        ListView_GetItem(header->hwndFrom, &item);
        events.ListTicked(header->hwndFrom, change->iItem, item.lParam, after == 2);
      }
      return 0;
    }
    case LVN_COLUMNCLICK:
      events.ListColumnClicked(header->hwndFrom,
                               reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      *handled = true;
      switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
          return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
          return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
          Colour text = draw->clrText, background = draw->clrTextBk;
          if (events.ListCellColours(header->hwndFrom, static_cast<int>(draw->nmcd.dwItemSpec),
                                     draw->nmcd.lItemlParam, draw->iSubItem, &text, &background)) {
            draw->clrText = text;
            draw->clrTextBk = background;
          }
          return CDRF_NEWFONT;
        }
        default:
          return CDRF_DODEFAULT;
      }
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK ViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  WindowEvents* events = EventsOf(window);
  if (!events) return ::DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      events->Resized(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ERASEBKGND: {
      Canvas canvas(reinterpret_cast<HDC>(wParam));
      RECT client;
      ::GetClientRect(window, &client);
      if (events->EraseBackground(canvas, RectOf(client))) return 1;
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      Canvas canvas(dc);
      events->Paint(canvas, RectOf(paint.rcPaint));
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_COMMAND:
      events->Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<void*>(lParam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!IsListView(header->hwndFrom)) break;
      bool handled = false;
      const LRESULT result = ListNotification(*events, header, &handled);
      if (handled) return result;
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_BUTTON) break;
      Canvas canvas(item->hDC);
      ButtonDrawing drawing;
      drawing.button = item->hwndItem;
      drawing.id = static_cast<int>(item->CtlID);
      drawing.canvas = &canvas;
      drawing.rect = RectOf(item->rcItem);
      drawing.pressed = (item->itemState & ODS_SELECTED) != 0;
      drawing.focused = (item->itemState & ODS_FOCUS) != 0;
      drawing.disabled = (item->itemState & ODS_DISABLED) != 0;
      drawing.showFocus = (item->itemState & ODS_NOFOCUSRECT) == 0;
      if (events->DrawButton(drawing)) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      const ControlColours colours = events->ColoursOf(reinterpret_cast<void*>(lParam));
      if (!colours.set) break;
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, colours.text);
      ::SetBkColor(dc, colours.background);
      return reinterpret_cast<LRESULT>(colours.brush);
    }
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT) break;
      POINT at;
      ::GetCursorPos(&at);
      ::ScreenToClient(window, &at);
      // The hand is missing before Windows 98 and 2000: the arrow stays there.
      if (events->WantsHandCursor(reinterpret_cast<void*>(wParam), {at.x, at.y}))
        if (HCURSOR hand = ::LoadCursor(nullptr, IDC_HAND)) {
          ::SetCursor(hand);
          return TRUE;
        }
      break;
    }
    case WM_CONTEXTMENU: {
      const bool keyboard = lParam == -1;
      events->ContextMenu(reinterpret_cast<void*>(wParam),
                          {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, keyboard);
      return 0;
    }
    case WM_CLOSE:
      if (events->Closing()) return 0;
      break;
    case WM_LBUTTONDOWN:
      events->LeftButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_GETMINMAXINFO: {
      const Size minimum = events->MinimumSize();
      if (!minimum.width) break;
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize.x = minimum.width;
      limits->ptMinTrackSize.y = minimum.height;
      return 0;
    }
    case WM_ACTIVATE:
      // As dialogs do: the control that had the focus when the window was left has it again
      // when the window comes back, not the window itself.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focused = ::GetFocus();
        if (focused && ::IsChild(window, focused)) ::SetPropA(window, kFocusProperty, focused);
      } else if (!HIWORD(wParam)) {
        HWND focused = static_cast<HWND>(::GetPropA(window, kFocusProperty));
        if (focused && ::IsChild(window, focused) && ::IsWindowVisible(focused) &&
            ::IsWindowEnabled(focused)) {
          ::SetFocus(focused);
          return 0;
        }
      }
      break;
    case WM_NCDESTROY:
      ::RemovePropA(window, kFocusProperty);
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      if (message >= kFirstProgramMessage && message <= kLastProgramMessage) {
        std::intptr_t result = 0;
        if (events->Private(message, wParam, lParam, &result)) return result;
      }
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterOneClass(const char* name, bool topLevel) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ViewProcedure;
  windowClass.hInstance = Module();
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  if (topLevel) windowClass.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = name;
  return ::RegisterClassA(&windowClass) != 0;
}

}  // namespace

bool RegisterViewClasses() {
  static const bool registered =
      RegisterOneClass(kTopClass, true) && RegisterOneClass(kPanelClass, false);
  return registered;
}

void* CreateTopWindow(const std::string& title, WindowEvents* events) {
  return ::CreateWindowExA(0, kTopClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, Module(), events);
}

void* CreatePanel(void* parent, int id, WindowEvents* events) {
  return ::CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "",
                           WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, Window(parent),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(), events);
}

void Release(void* window) {
  if (window) ::SetWindowLongPtrA(Window(window), GWLP_USERDATA, 0);
}

void* CreateControl(void* parent, ControlKind kind, int id, const std::string& text, bool tabStop,
                    bool groupStart) {
  const char* className = "BUTTON";
  DWORD style = WS_CHILD | WS_VISIBLE | (tabStop ? WS_TABSTOP : 0) | (groupStart ? WS_GROUP : 0);
  DWORD extended = 0;
  switch (kind) {
    case ControlKind::SkinnedButton:
      style |= BS_OWNERDRAW;
      break;
    case ControlKind::CheckBox:
      style |= BS_CHECKBOX;
      break;
    case ControlKind::Choice:
      style |= BS_RADIOBUTTON;
      break;
    case ControlKind::Label:
      className = "STATIC";
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS;
      break;
    case ControlKind::WrappedLabel:
      className = "STATIC";
      style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::PathLabel:
      className = "STATIC";
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS;
      break;
    case ControlKind::Edit:
      className = "EDIT";
      style |= ES_AUTOHSCROLL;
      extended = WS_EX_CLIENTEDGE;
      break;
  }
  return ::CreateWindowExA(extended, className, text.c_str(), style, 0, 0, 0, 0, Window(parent),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(), nullptr);
}

void SetText(void* window, const std::string& text) {
  ::SetWindowTextA(Window(window), text.c_str());
}

std::string Text(void* window) {
  const int length = ::GetWindowTextLengthA(Window(window));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(Window(window), text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void Move(void* window, const Rect& where) {
  ::MoveWindow(Window(window), where.left, where.top, where.Width(), where.Height(), TRUE);
}

void Show(void* window, bool shown) {
  ::ShowWindow(Window(window), shown ? SW_SHOWNA : SW_HIDE);
}

bool Visible(void* window) {
  return ::IsWindowVisible(Window(window)) != FALSE;
}

void Enable(void* window, bool enabled) {
  ::EnableWindow(Window(window), enabled ? TRUE : FALSE);
}

bool Shown(void* window) {
  return (::GetWindowLongA(Window(window), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Enabled(void* window) {
  return ::IsWindowEnabled(Window(window)) != FALSE;
}

void Repaint(void* window) {
  ::InvalidateRect(Window(window), nullptr, TRUE);
}

void RepaintAll(void* window) {
  ::RedrawWindow(Window(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void RepaintPart(void* window, const Rect& part) {
  const RECT rect{part.left, part.top, part.right, part.bottom};
  ::InvalidateRect(Window(window), &rect, TRUE);
}

void PaintNow(void* window) {
  // The frame too: the thread may not look at its messages for a while.
  ::RedrawWindow(
      Window(window), nullptr, nullptr,
      RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

void Destroy(void* window) {
  if (window) ::DestroyWindow(Window(window));
}

void SetFont(void* window, void* font) {
  ::SendMessageA(Window(window), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Click(void* button) {
  ::SendMessageA(Window(button), BM_CLICK, 0, 0);
}

void SetChecked(void* button, bool checked) {
  ::SendMessageA(Window(button), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Checked(void* button) {
  return ::SendMessageA(Window(button), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Rect ClientRect(void* window) {
  RECT rect{};
  ::GetClientRect(Window(window), &rect);
  return RectOf(rect);
}

Rect ScreenRect(void* window) {
  RECT rect{};
  ::GetWindowRect(Window(window), &rect);
  return RectOf(rect);
}

Point ToScreen(void* window, Point client) {
  POINT point{client.x, client.y};
  ::ClientToScreen(Window(window), &point);
  return {point.x, point.y};
}

bool Within(void* parent, void* window) {
  return window && (parent == window || ::IsChild(Window(parent), Window(window)));
}

Rect WorkArea(void*) {
  // The primary screen's work area: every system has it (several screens came with 98).
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return RectOf(area);
}

Size WindowSizeFor(void* window, Size client) {
  RECT rect{0, 0, client.width, client.height};
  ::AdjustWindowRectEx(&rect, static_cast<DWORD>(::GetWindowLongA(Window(window), GWL_STYLE)),
                       FALSE, static_cast<DWORD>(::GetWindowLongA(Window(window), GWL_EXSTYLE)));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void PlaceWindow(void* window, const Rect& where) {
  ::SetWindowPos(Window(window), nullptr, where.left, where.top, where.Width(), where.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowFirstTime(void* window) {
  ::ShowWindow(Window(window), SW_SHOWDEFAULT);
  ::UpdateWindow(Window(window));
  ::SetForegroundWindow(Window(window));
}

void BringToFront(void* window) {
  ::ShowWindow(Window(window), ::IsIconic(Window(window)) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(Window(window));
}

void PutFirstInSearches(void* window) {
  // Searches by title go through the windows in their order on the screen, the topmost first;
  // a hidden window stays hidden there.
  ::SetWindowPos(Window(window), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void* Focused() {
  return ::GetFocus();
}

void Focus(void* window) {
  ::SetFocus(Window(window));
}

void* NextTabStop(void* dialog, void* after, bool backwards) {
  return ::GetNextDlgTabItem(Window(dialog), Window(after), backwards ? TRUE : FALSE);
}

bool OnOwnThread(void* window) {
  return ::GetWindowThreadProcessId(Window(window), nullptr) == ::GetCurrentThreadId();
}

bool Post(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return ::PostMessageA(Window(window), message, wParam, lParam) != FALSE;
}

std::intptr_t Send(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return ::SendMessageA(Window(window), message, wParam, lParam);
}

int TakeMessage(QueuedMessage* message) {
  MSG system{};
  const int result = ::GetMessageA(&system, nullptr, 0, 0);
  if (result == -1) return result;
  message->window = system.hwnd;
  message->message = system.message;
  message->wParam = system.wParam;
  message->lParam = system.lParam;
  message->time = system.time;
  std::memcpy(message->system, &system, sizeof system);
  return result;
}

bool HandleDialogKey(void* dialog, const QueuedMessage& message) {
  MSG system;
  std::memcpy(&system, message.system, sizeof system);
  return ::IsDialogMessageA(Window(dialog), &system) != FALSE;
}

void Dispatch(const QueuedMessage& message) {
  MSG system;
  std::memcpy(&system, message.system, sizeof system);
  ::TranslateMessage(&system);
  ::DispatchMessageA(&system);
}

void WatchMouseLeave(void* window) {
  // comctl32's form: user32's TrackMouseEvent is missing on Windows 95.
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = Window(window);
  ::_TrackMouseEvent(&track);
}

unsigned ChooseFromMenu(void* owner, const std::vector<MenuItem>& items, Point screen) {
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return 0;
  for (const MenuItem& item : items) {
    if (!item.id) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    // A caption is shown as it is: "&" names no access key there.
    std::string caption;
    for (const char c : item.caption) {
      caption += c;
      if (c == '&') caption += '&';
    }
    ::AppendMenuA(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), item.id,
                  caption.c_str());
  }
  const BOOL chosen =
      ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                       screen.x, screen.y, 0, Window(owner), nullptr);
  ::DestroyMenu(menu);
  return static_cast<unsigned>(chosen);
}

}  // namespace win32::view
