// What the main window shows, behind one interface: the console view prints it, the Qt
// window draws it, tests record it.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/messages.h"
#include "platform/prompt.h"

namespace app {

enum class Page;
class MainWindow;

// One row of the found-items list.
struct FoundRow {
  std::string entryName, kindLabel, category, text, danger;
};

// What the scanning page shows while a scan runs.
struct ScanProgressView {
  std::string phaseText, itemText;
  int objectsExamined = 0, itemsFound = 0, itemsListed = 0, itemsIgnored = 0;
};

// A page that was shown, or whose content changed: its number, header text and content as
// text lines (the page's model has the rest).
struct PageShown {
  Page page;
  int number = -1;
  std::string header;
  std::vector<std::string> lines;
};

class MainView {
 public:
  virtual ~MainView() = default;
  // A page was shown (or shown again with new content).
  virtual void ShowPage(const PageShown& page) = 0;
  virtual void AddRow(const FoundRow& row) = 0;
  virtual void ShowScanProgress(const ScanProgressView& progress) = 0;
  // The scan ended: its status text (finished or stopped) and the caption of the page's
  // button (remove or home).
  virtual void ShowScanEnd(const std::string& status, const std::string& button) = 0;
  // The text of the status line.
  virtual void ShowStatus(const std::string& text) = 0;
  // The framework's own handling of activation: the window comes to the front.
  virtual void Activate() = 0;
  // The window's place: its top left corner and its size in hundredths of the screen.
  virtual void PlaceWindow(int /*x*/, int /*y*/, int /*widthPercent*/, int /*heightPercent*/) {}
  // The client area's size, for clicks on the logo.
  virtual std::pair<int, int> ClientSize() const { return {800, 600}; }
  // Turns the program's windows off while another program's dialog has the person's
  // attention (the mail client's), and on again with focus back.
  virtual void EnableWindows(bool /*enable*/) {}
  // Message boxes and choosers of the window.
  virtual platform::Prompt& prompt() = 0;

  // The controller whose pages the view shows: given once its window exists, before any page
  // is shown, and taken back (null) when its window has closed.
  virtual void Attach(MainWindow* /*window*/) {}
  // Handles the user-interface thread's messages until the quit message, each seen first by
  // preTranslate. By default the thread's own message loop; a view with an event loop of
  // its own runs both in one.
  virtual void RunMessageLoop(platform::Messages& messages,
                              const std::function<void(const platform::MSG&)>& preTranslate);
};

}  // namespace app
