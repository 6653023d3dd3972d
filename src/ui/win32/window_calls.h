// Seam: user32's windows for the Windows view, in plain types. The view's window classes have
// one procedure that decodes each message for a plain receiver (WindowEvents); the controls,
// the message loop with the dialog keys, focus, the mouse and popup menus are plain functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win32::view {

struct Point {
  int x = 0, y = 0;
};

struct Size {
  int width = 0, height = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(Point point) const {
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
  }
};

// A colour as the system keeps it: 0x00BBGGRR.
using Colour = std::uint32_t;

class Canvas;  // paint_calls.h

// An owner-drawn button to draw as it stands now.
struct ButtonDrawing {
  void* button = nullptr;
  int id = 0;
  Canvas* canvas = nullptr;
  Rect rect;
  bool pressed = false, focused = false, disabled = false;
  bool showFocus = true;  // false while the system hides keyboard cues
};

// How a static text, a check box or a choice draws its text and background; set false for
// the system's colours. The brush is the background's and stays the receiver's.
struct ControlColours {
  bool set = false;
  Colour text = 0, background = 0;
  void* brush = nullptr;
};

// Notification codes of WM_COMMAND the view reacts to.
constexpr int kClicked = 0;          // BN_CLICKED
constexpr int kEditChanged = 0x300;  // EN_CHANGE
// The first message of the view's own (WM_APP): every one from here to 0xBFFF is private.
constexpr unsigned kFirstViewMessage = 0x8000;
// Messages of the loop that the view looks at itself.
constexpr unsigned kMouseMoveMessage = 0x0200;   // WM_MOUSEMOVE
constexpr unsigned kMouseLeaveMessage = 0x02A3;  // WM_MOUSELEAVE

// The receiver of a window's messages, decoded. What it does not handle gets the system's
// default handling.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void Resized(int /*width*/, int /*height*/) {}
  // WM_ERASEBKGND: true when the receiver has painted the background.
  virtual bool EraseBackground(Canvas&, const Rect& /*client*/) { return false; }
  virtual void Paint(Canvas&, const Rect& /*dirty*/) {}
  // WM_COMMAND from a control, a menu (code 0, no control) or a dialog key (IDOK, IDCANCEL).
  virtual void Command(int /*id*/, int /*code*/, void* /*control*/) {}
  virtual bool DrawButton(const ButtonDrawing&) { return false; }
  // WM_CTLCOLORSTATIC and WM_CTLCOLOREDIT of a child.
  virtual ControlColours ColoursOf(void* /*control*/) { return {}; }
  // WM_SETCURSOR over a child or the window itself (point in the window's client area).
  virtual bool WantsHandCursor(void* /*window*/, Point /*client*/) { return false; }
  // WM_CONTEXTMENU of the window or a child; from the keyboard the point is unknown.
  virtual void ContextMenu(void* /*control*/, Point /*screen*/, bool /*fromKeyboard*/) {}
  // A list view child's notifications: a row's check box changed (by the person or the
  // code), a column heading was clicked, and the colours of a cell about to be drawn.
  virtual void ListTicked(void* /*list*/, int /*row*/, std::intptr_t /*param*/, bool /*ticked*/) {}
  virtual void ListColumnClicked(void* /*list*/, int /*column*/) {}
  virtual bool ListCellColours(void* /*list*/, int /*row*/, std::intptr_t /*param*/, int /*column*/,
                               Colour* /*text*/, Colour* /*background*/) {
    return false;
  }
  // WM_CLOSE: true when the receiver decides (the window stays unless it destroys itself).
  virtual bool Closing() { return false; }
  virtual void LeftButtonDown(Point /*client*/) {}
  // The smallest size of the whole window (WM_GETMINMAXINFO); zero for the system's.
  virtual Size MinimumSize() { return {}; }
  // A message of the program's own ranges (WM_USER + 3 to 0xBFFF): true with its result when
  // handled.
  virtual bool Private(unsigned /*message*/, std::uintptr_t /*wParam*/, std::intptr_t /*lParam*/,
                       std::intptr_t* /*result*/) {
    return false;
  }
};

// The view's window classes, registered once for the program.
bool RegisterViewClasses();
// A hidden top-level window with a sizing frame that hands its messages to events.
void* CreateTopWindow(const std::string& title, WindowEvents* events);
// A child panel of the window that holds controls: Tab goes into it (WS_EX_CONTROLPARENT).
void* CreatePanel(void* parent, int id, WindowEvents* events);
// From now on the window hands nothing to its receiver (before the receiver goes).
void Release(void* window);

enum class ControlKind {
  SkinnedButton,  // a push button the parent draws (owner-drawn)
  CheckBox,       // a check box whose state the code sets
  Choice,         // a radio button whose state the code sets
  Label,          // one line, ended by "..." when it does not fit
  WrappedLabel,   // words wrapped onto lines
  PathLabel,      // one line, a path shortened in its middle
  Edit,           // one line of text to edit
};
// A visible child control; tabStop and groupStart as in a dialog. Texts never take '&' as an
// access key in a label (paths and names may hold one).
void* CreateControl(void* parent, ControlKind kind, int id, const std::string& text, bool tabStop,
                    bool groupStart);

void SetText(void* window, const std::string& text);
std::string Text(void* window);
void Move(void* window, const Rect& where);
void Show(void* window, bool shown);
// On the screen: shown itself and every window it is in.
bool Visible(void* window);
// Shown itself, whether or not the window it is in is (WS_VISIBLE).
bool Shown(void* window);
void Enable(void* window, bool enabled);
bool Enabled(void* window);
void Repaint(void* window);
// The window and every control in it drawn again.
void RepaintAll(void* window);
void RepaintPart(void* window, const Rect& part);
// Paints the window whole now, its frame and controls, before the next message.
void PaintNow(void* window);
void Destroy(void* window);
void SetFont(void* window, void* font);
// BM_CLICK: the button is pressed and let go, as by the mouse.
void Click(void* button);
void SetChecked(void* button, bool checked);
bool Checked(void* button);
Rect ClientRect(void* window);
Rect ScreenRect(void* window);
Point ToScreen(void* window, Point client);
// True when window is parent or below it.
bool Within(void* parent, void* window);

// The top-level window.
// The work area of the screen the window is on (the screen without the task bar).
Rect WorkArea(void* window);
// The whole window's size for a client area of that size.
Size WindowSizeFor(void* window, Size client);
void PlaceWindow(void* window, const Rect& where);
// The first showing: as the program was started (SW_SHOWDEFAULT), then to the front.
void ShowFirstTime(void* window);
// Restores a minimised window and brings it to the front.
void BringToFront(void* window);
// Puts a hidden window at the front of the windows that a search by title goes through.
void PutFirstInSearches(void* window);

// Focus and keyboard.
void* Focused();
void Focus(void* window);
// The next control a Tab reaches in the dialog-like window after the given one (null: the
// first), as IsDialogMessage moves.
void* NextTabStop(void* dialog, void* after, bool backwards);

// Threads and messages.
bool OnOwnThread(void* window);
bool Post(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
std::intptr_t Send(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

// The message loop: a message taken from the thread's queue, its dialog keys, its dispatch.
struct QueuedMessage {
  void* window = nullptr;
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::uint32_t time = 0;
  alignas(8) unsigned char system[48] = {};  // the system's whole MSG
};
// GetMessageA: above 0 for a message, 0 for the quit message, -1 on failure.
int TakeMessage(QueuedMessage* message);
// IsDialogMessageA: true when it was a dialog key of that window and has been handled.
bool HandleDialogKey(void* dialog, const QueuedMessage& message);
// TranslateMessage and DispatchMessageA.
void Dispatch(const QueuedMessage& message);
// The window gets WM_MOUSELEAVE once the mouse has left it (_TrackMouseEvent).
void WatchMouseLeave(void* window);

// Popup menus: an item of id 0 is a separator.
struct MenuItem {
  std::string caption;
  unsigned id = 0;
  bool enabled = true;
};
// Shows the menu at the screen point and waits; the id chosen, 0 when none was.
unsigned ChooseFromMenu(void* owner, const std::vector<MenuItem>& items, Point screen);

}  // namespace win32::view
