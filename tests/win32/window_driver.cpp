// Drives the program's window from another process the way a person does: it starts
// Vexmarl.exe, finds its window and pages, clicks buttons and list rows with the mouse, types
// keys, opens the context menu, answers message boxes, and reads what the window shows. Run
// on the desktop of the program (wine explorer /desktop=NAME,800x600 window_driver.exe ...).
//   window_driver test PROGRAM LOG           the window test: what a person does, checked
//   window_driver shots PROGRAM FOLDER LOG   every page shown once, each announced in FOLDER
//                                            as NN-page.request until NN-page.png is there
// LOG receives what happened, and last a line "result: 0" (passed) or "result: 1".
#include <windows.h>

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ui/win32/view_ids.h"

namespace {

// The program's pages, in the order of app::Page, and the commands it takes (app/page_ids.h).
enum PageNumber {
  kNotice,
  kStart,
  kAbout,
  kIgnore,
  kDetails,
  kQuarantine,
  kScan,
  kOptions,
  kScanSettings,
  kResults,
  kHidden
};
constexpr const char* kPageNames[] = {"notice",        "start",      "about", "ignore",
                                      "details",       "quarantine", "scan",  "options",
                                      "scan settings", "results",    "hidden"};
constexpr WPARAM kScanning = 232, kScanNow = 251, kOptionsCommand = 252, kIgnoreCommand = 254,
                 kAboutCommand = 256, kScanSettingsCommand = 199, kSchedule = 219,
                 kScanButton = 262, kResultsQuarantine = 220, kUntickAll = 32783, kTickAll = 32782,
                 kNoticeFirstBox = 205;
constexpr const char* kFrameClass = "VexmarlFrame";
constexpr const char* kControllerClass = "VexmarlWindow";
constexpr const char* kDialogClass = "#32770";
constexpr const char* kMenuClass = "#32768";
constexpr int kLook = 50;  // ms between looks

FILE* logFile = nullptr;

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(logFile, format, arguments);
  va_end(arguments);
  std::fputc('\n', logFile);
  std::fflush(logFile);
}

[[noreturn]] void Finish(int result) {
  Say("result: %d", result);
  std::fclose(logFile);
  std::exit(result);
}

[[noreturn]] void Fail(const std::string& what) {
  Say("FAILED: %s", what.c_str());
  Finish(1);
}

bool WaitFor(const std::function<bool()>& condition, int limitMs = 20000) {
  for (int waited = 0; waited < limitMs; waited += kLook) {
    if (condition()) return true;
    Sleep(kLook);
  }
  return condition();
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);  // across processes, the system copies it
  return text;
}

// The program under test: its process, its window and its controller's window.
struct Program {
  PROCESS_INFORMATION process{};
  HWND frame = nullptr;
  HWND controller = nullptr;
};

Program program;
std::string programPath;

struct Search {
  const char* className;
  DWORD process;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK LookAt(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || lstrcmpA(name, search->className) != 0) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(const char* className, bool visibleOnly = true) {
  Search search{className, program.process.dwProcessId, visibleOnly, nullptr};
  EnumWindows(LookAt, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HANDLE Start(const std::string& path, const std::string& arguments) {
  std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started))
    Fail("cannot start " + commandLine);
  CloseHandle(started.hThread);
  if (arguments.empty()) program.process = started;
  return started.hProcess;
}

HWND Panel(int page) {
  return GetDlgItem(program.frame, IDC_PAGE_FIRST + page);
}

bool Showing(int page) {
  HWND panel = Panel(page);
  return panel && IsWindowVisible(panel);
}

void Reach(int page) {
  if (!WaitFor([page] { return Showing(page); }))
    Fail(std::string("no ") + kPageNames[page] + " page");
  Sleep(300);  // the page's controls settle and draw
}

HWND Control(int page, int id) {
  HWND control = GetDlgItem(Panel(page), id);
  if (!control) Fail("no control " + std::to_string(id) + " on the " + kPageNames[page] + " page");
  return control;
}

HWND Navigation(int id) {
  HWND button = GetDlgItem(program.frame, id);
  if (!button) Fail("no navigation button " + std::to_string(id));
  return button;
}

// A command as the window's controls send it, from this process.
void Command(WPARAM id, LPARAM lParam = 0) {
  SendMessageA(program.controller, WM_COMMAND, id, lParam);
}

// The mouse and the keyboard, as a person uses them (the system's input queue): the mouse
// goes to the point, then its button goes down and up, a moment between each.
void Mouse(POINT at, DWORD flags) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, width - 1);
  input.mi.dy = MulDiv(at.y, 65535, height - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  Sleep(60);
}

// The mouse on the point, once the system has it there (the display's own pointer follows
// a moment later).
bool MouseOn(POINT at) {
  Mouse(at, MOUSEEVENTF_MOVE);
  return WaitFor(
      [&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == at.x && now.y == at.y;
      },
      2000);
}

// A click, and the pause after it that keeps the next one from making a double click.
void MouseAt(POINT at, DWORD down, DWORD up) {
  if (!MouseOn(at)) Say("the mouse does not get to %ld,%ld", at.x, at.y);
  Sleep(100);
  Mouse(at, down);
  Mouse(at, up);
  Sleep(GetDoubleClickTime() + 100);
}

void ClickAt(POINT at) {
  MouseAt(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT at) {
  MouseAt(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

POINT Middle(HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

void Click(HWND control) {
  ClickAt(Middle(control));
}

void MoveMouseTo(POINT at) {
  MouseOn(at);
  Sleep(200);
}

void Key(WORD key, bool shift = false) {
  std::vector<INPUT> input;
  auto add = [&](WORD code, DWORD flags) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = code;
    one.ki.dwFlags = flags;
    input.push_back(one);
  };
  if (shift) add(VK_SHIFT, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  Sleep(200);
}

HWND Focus() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(program.frame, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Keys reach the program through its message queue: on a busy machine a moment later.
void ExpectFocus(HWND control, const char* failure) {
  if (!WaitFor([&] { return Focus() == control; }, 5000)) Fail(failure);
}

// The list view of the program, read through memory of its process.
class RemoteList {
 public:
  explicit RemoteList(HWND list) : list_(list) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                           program.process.dwProcessId);
    memory_ = process_ ? static_cast<char*>(
                             VirtualAllocEx(process_, nullptr, kRoom, MEM_COMMIT, PAGE_READWRITE))
                       : nullptr;
    if (!memory_) Fail("cannot reach the program's memory");
  }
  ~RemoteList() {
    VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }

  int Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
  bool Ticked(int row) const {
    return ((SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
  }
  std::string Text(int row, int column) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory_ + sizeof item;
    item.cchTextMax = kRoom - sizeof item;
    WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
    SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory_));
    char text[kRoom] = {};
    ReadProcessMemory(process_, memory_ + sizeof item, text, kRoom - sizeof item - 1, nullptr);
    return text;
  }
  // A column's heading on the screen.
  RECT Heading(int column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    RECT bounds{};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(memory_));
    ReadProcessMemory(process_, memory_, &bounds, sizeof bounds, nullptr);
    MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
  }
  // Whether the column's texts go up (1) or down (-1) from row to row.
  bool Sorted(int column, int direction) const {
    for (int row = 1; row < Count(); ++row)
      if (lstrcmpiA(Text(row - 1, column).c_str(), Text(row, column).c_str()) * direction > 0)
        return false;
    return true;
  }
  // The row's whole rectangle on the screen.
  RECT Bounds(int row) const {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    WriteProcessMemory(process_, memory_, &bounds, sizeof bounds, nullptr);
    SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory_));
    ReadProcessMemory(process_, memory_, &bounds, sizeof bounds, nullptr);
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
  }
  POINT CheckBox(int row) const {
    const RECT bounds = Bounds(row);
    return {bounds.left + 9, (bounds.top + bounds.bottom) / 2};
  }
  POINT Middle(int row) const {
    const RECT bounds = Bounds(row);
    return {bounds.left + 80, (bounds.top + bounds.bottom) / 2};
  }
  int Find(const std::string& text, int column) const {
    for (int row = 0; row < Count(); ++row)
      if (lstrcmpiA(Text(row, column).c_str(), text.c_str()) == 0) return row;
    return -1;
  }

 private:
  static constexpr int kRoom = 1024;
  HWND list_;
  HANDLE process_ = nullptr;
  char* memory_ = nullptr;
};

// A message box of the program that is open now, with its text.
HWND OpenBox(std::string* text = nullptr) {
  HWND box = FindTopLevel(kDialogClass);
  if (box && text) *text = TextOf(GetDlgItem(box, 0xFFFF));
  return box;
}

void Answer(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  WaitFor([box] { return !IsWindow(box); }, 5000);
}

HWND OpenMenu() {
  HWND menu = nullptr;
  WaitFor([&] { return (menu = FindWindowA(kMenuClass, nullptr)) && IsWindowVisible(menu); }, 5000);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

void StartProgram(const std::string& path) {
  Start(path, "");
  if (!WaitFor([] { return (program.frame = FindTopLevel(kFrameClass)) != nullptr; }, 60000))
    Fail("the window does not open");
  program.controller = FindTopLevel(kControllerClass, false);
  if (!program.controller) Fail("the controller's window is not there");
  Reach(kNotice);
  SetForegroundWindow(program.frame);
}

// The scan has ended once the navigation works again, with the rows listed.
bool ScanEnded() {
  return Showing(kScan) && IsWindowEnabled(Navigation(IDC_NAVIGATION_HOME));
}

void EndProgram() {
  PostMessageA(program.frame, WM_CLOSE, 0, 0);  // the window's close box
  if (WaitForSingleObject(program.process.hProcess, 20000) != WAIT_OBJECT_0)
    Fail("the program does not end when its window is closed");
  DWORD status = 1;
  GetExitCodeProcess(program.process.hProcess, &status);
  if (status != 0) Fail("the program ended with " + std::to_string(status));
}

// The window test.
void Test() {
  // The keyboard: the first control has the focus, Tab and Shift+Tab move it through the
  // navigation into the shown page and back, Enter presses the button that has it.
  HWND home = Navigation(IDC_NAVIGATION_HOME);
  ExpectFocus(home, "the focus is not on the navigation's first button");
  HWND help = Navigation(257);
  for (int press = 0; press < 8; ++press) Key(VK_TAB);
  ExpectFocus(help, "eight Tabs do not reach the navigation's last button");
  Key(VK_TAB);
  ExpectFocus(Control(kNotice, kNoticeFirstBox),
              "Tab does not go from the navigation into the notice page");
  Key(VK_TAB, true);
  ExpectFocus(help, "Shift+Tab does not go back to the navigation");
  // Another window taken to the front and left again: the focus comes back where it was.
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  WaitFor([&] { return GetForegroundWindow() == other; }, 5000);
  SetForegroundWindow(program.frame);
  ExpectFocus(help, "the focus is lost when the window is left and taken again");
  DestroyWindow(other);
  for (int press = 0; press < 8; ++press) Key(VK_TAB, true);
  ExpectFocus(home, "Shift+Tab does not go back to the first button");
  Key(VK_RETURN);
  Reach(kStart);
  Say("keyboard: Tab, Shift+Tab and Enter work");

  // A scan from the start page's command lists every trace, each row ticked.
  Click(Control(kStart, kScanNow));
  if (!WaitFor([] { return ScanEnded(); }, 60000)) Fail("the scan does not end");
  RemoteList list(Control(kScan, IDC_LIST));
  const int rows = list.Count();
  const char* kTraces[] = {"C:\\glimmerbar.ini", "software\\glimmerbar", "software\\quillfeather",
                           "www.vexmarl.example"};
  for (const char* trace : kTraces)
    if (list.Find(trace, 3) < 0) Fail(std::string("the list lacks ") + trace);
  for (int row = 0; row < rows; ++row)
    if (!list.Ticked(row)) Fail("row " + std::to_string(row) + " is not ticked");
  Say("scan: %d rows listed, every one ticked", rows);

  // A click on a row's check box unticks it, in the list and for the removal: the keylogger's
  // registry key is kept.
  const int kept = list.Find("software\\quillfeather", 3);
  ClickAt(list.CheckBox(kept));
  if (!WaitFor([&] { return !list.Ticked(kept); }, 5000)) Fail("the check box click did nothing");
  // A click on a column's heading sorts the rows by it, a second click the other way round;
  // the ticks stay with their rows.
  const RECT location = list.Heading(3);
  const POINT heading{(location.left + location.right) / 2, (location.top + location.bottom) / 2};
  ClickAt(heading);
  if (!WaitFor([&] { return list.Sorted(3, 1); }, 5000)) Fail("a heading click does not sort");
  ClickAt(heading);
  if (!WaitFor([&] { return list.Sorted(3, -1); }, 5000))
    Fail("a second click does not turn the order");
  Say("list: sorted by a column both ways");
  if (list.Ticked(list.Find("software\\quillfeather", 3))) Fail("sorting moved a tick");
  // The remove command: the confirmation counts the ticked rows; yes removes them.
  Click(Control(kScan, static_cast<int>(kScanButton)));
  HWND box = nullptr;
  std::string question;
  if (!WaitFor([&] { return (box = OpenBox(&question)) != nullptr; }, 10000))
    Fail("no confirmation before the removal");
  const std::string expected = "Remove the " + std::to_string(rows - 1) + " selected item(s)?";
  if (question != expected)
    Fail("the confirmation asks \"" + question + "\", not \"" + expected + "\"");
  Answer(box, IDYES);
  // Whatever else the removal asks gets the answer that changes nothing; the rows removed
  // leave the list, the unticked one stays.
  if (!WaitFor(
          [&] {
            std::string text;
            if (HWND other = OpenBox(&text)) {
              Say("the removal asks: %s", text.c_str());
              Answer(other, GetDlgItem(other, IDNO)   ? IDNO
                            : GetDlgItem(other, IDOK) ? IDOK
                                                      : IDCANCEL);
            }
            return list.Count() == 1;
          },
          60000))
    Fail("the removal does not end");
  if (list.Text(0, 3) != "software\\quillfeather" || list.Ticked(0))
    Fail("the row left is " + list.Text(0, 3));
  Say("removal: %d items removed, one kept", rows - 1);

  // A second start of the program with "-t" reaches this one, which scans again: the window
  // the second finds by its title is the controller's.
  HANDLE second = Start(programPath, "-t");
  if (WaitForSingleObject(second, 30000) != WAIT_OBJECT_0) Fail("the second start does not end");
  DWORD status = 1;
  GetExitCodeProcess(second, &status);
  CloseHandle(second);
  if (status != 0) Fail("the second start ended with " + std::to_string(status));
  Reach(kScan);
  if (!WaitFor([] { return ScanEnded(); }, 60000))
    Fail("the scan the second start asked for does not end");
  Say("second start: the first window scanned again");
}

// Every page once, as scripts/screenshots-windows names them.
class Shots {
 public:
  explicit Shots(std::string folder) : folder_(std::move(folder)) {}

  // The picture of the screen as it is now: the mouse out of the way unless it is to show
  // what it points at.
  void Take(const char* name, bool keepMouse = false) {
    if (!keepMouse) MoveMouseTo(Aside());
    Sleep(300);
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++count_);
    const std::string base = folder_ + "\\" + number + name;
    FILE* request = std::fopen((base + ".request").c_str(), "w");
    if (!request) Fail("cannot ask for " + base);
    std::fclose(request);
    if (!WaitFor(
            [&] { return GetFileAttributesA((base + ".png").c_str()) != INVALID_FILE_ATTRIBUTES; },
            30000))
      Fail("no picture " + base + ".png");
    Say("picture %s", name);
  }

 private:
  // A point of the window's header, where no control is.
  static POINT Aside() {
    RECT client;
    GetClientRect(program.frame, &client);
    POINT at{client.right * 3 / 4, 30};
    ClientToScreen(program.frame, &at);
    return at;
  }
  std::string folder_;
  int count_ = 0;
};

// Opens the context menu on a row with a right click, again if it has not opened (a busy
// machine may drop a click, and a person clicks again).
void OpenContextMenu(RemoteList& list, int row) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    RightClickAt(list.Middle(row));
    if (OpenMenu()) return;
    Say("no context menu after a right click on row %d", row);
  }
  Fail("no context menu");
}

// Opens the context menu on a row and chooses its item that many places down (0: closes it).
void ChooseFromMenu(RemoteList& list, int row, int down) {
  OpenContextMenu(list, row);
  if (!down) {
    Key(VK_ESCAPE);
    return;
  }
  for (int press = 0; press < down; ++press) Key(VK_DOWN);
  Key(VK_RETURN);
}

// Answers the removal's questions: yes to the confirmation, the safe answer to the rest.
bool RemovalEnded() {
  std::string text;
  if (HWND box = OpenBox(&text)) {
    const bool confirmation = text.rfind("Remove the ", 0) == 0;
    Answer(box, confirmation            ? IDYES
                : GetDlgItem(box, IDNO) ? IDNO
                : GetDlgItem(box, IDOK) ? IDOK
                                        : IDCANCEL);
  }
  return Showing(kResults);
}

void TakeShots(const std::string& folder) {
  Shots shots(folder);
  shots.Take("notice");
  Click(Navigation(IDC_NAVIGATION_HOME));
  Reach(kStart);
  // The status line tells what the control under the mouse does.
  MoveMouseTo(Middle(Navigation(static_cast<int>(kScanNow))));
  shots.Take("start", true);
  Click(Control(kStart, kScanNow));
  if (!WaitFor([] { return ScanEnded(); }, 60000)) Fail("the scan does not end");
  shots.Take("scan-results");
  {
    RemoteList list(Control(kScan, IDC_LIST));
    OpenContextMenu(list, 0);
    shots.Take("scan-menu", true);
    Key(VK_ESCAPE);
    ChooseFromMenu(list, 0, 5);  // item details
  }
  Reach(kDetails);
  shots.Take("details");
  // One item goes to the ignore list, so that its page shows a row.
  Command(kScanning);
  Reach(kScan);
  {
    RemoteList list(Control(kScan, IDC_LIST));
    const int rows = list.Count(), last = rows - 1;
    Command(kUntickAll);
    ClickAt(list.CheckBox(last));
    if (!WaitFor([&] { return list.Ticked(last); }, 5000)) Fail("the last row is not ticked");
    ChooseFromMenu(list, last, 4);  // ignore the ticked items
    if (!WaitFor([&] { return list.Count() == rows - 1; }, 5000)) Fail("nothing was ignored");
  }
  Command(kIgnoreCommand);
  Reach(kIgnore);
  shots.Take("ignore-list");
  Command(kOptionsCommand);
  Reach(kOptions);
  shots.Take("options");
  Command(kScanSettingsCommand);
  Reach(kScanSettings);
  shots.Take("scan-settings");
  // The schedule page of the scheduled scan's task, opened from the scan settings.
  Click(Control(kScanSettings, kSchedule));
  HWND schedule = nullptr;
  if (WaitFor([&] { return (schedule = FindTopLevel(kDialogClass)) != nullptr; }, 15000)) {
    shots.Take("schedule");
    PostMessageA(schedule, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !IsWindow(schedule); }, 5000);
  } else {
    Say("no schedule page opened");
  }
  Command(kAboutCommand);
  Reach(kAbout);
  shots.Take("about");
  // Remove what was found: yes to the confirmation, the safe answer to the rest.
  Command(kScanning);
  Reach(kScan);
  Command(kTickAll);
  Click(Control(kScan, static_cast<int>(kScanButton)));
  if (!WaitFor([] { return RemovalEnded(); }, 60000)) Fail("the removal does not end");
  Reach(kResults);
  shots.Take("results");
  Command(kResultsQuarantine);
  Reach(kQuarantine);
  shots.Take("quarantine");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "test" && argc == 4) || (mode == "shots" && argc == 5))) {
    std::fprintf(stderr, "usage: window_driver test PROGRAM LOG | shots PROGRAM FOLDER LOG\n");
    return 2;
  }
  logFile = std::fopen(argv[argc - 1], "w");
  if (!logFile) return 2;
  programPath = argv[2];
  StartProgram(programPath);
  if (mode == "test")
    Test();
  else
    TakeShots(argv[3]);
  EndProgram();
  Finish(0);
}
