// What every page of the Windows window works with (the controller whose models it shows,
// its texts, the skin, the way its controls speak to the controller) and the page itself: a
// panel of the window with its controls, shown again whenever the controller shows its page.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/page_ids.h"
#include "ui/win32/row_list.h"
#include "ui/win32/skin.h"
#include "ui/win32/window_calls.h"

namespace ui::win32 {

class PageContext {
 public:
  // hot tells whether the mouse is over a button; later runs work on the window's thread
  // once the current message has been handled.
  PageContext(app::MainWindow& window, const Skin& skin, std::function<bool(void*)> hot,
              std::function<void(std::function<void()>)> later)
      : window_(window), skin_(skin), hot_(std::move(hot)), later_(std::move(later)) {}

  app::MainWindow& Window() const { return window_; }
  const Skin& Look() const { return skin_; }
  std::string Text(unsigned id) const { return window_.Texts().String(id); }

  // WM_COMMAND with the id, as a control of the window sends it.
  void Command(std::uintptr_t id, platform::LPARAM lParam = 0) const;
  platform::LRESULT Send(platform::UINT message, platform::WPARAM wParam,
                         platform::LPARAM lParam) const;
  // A page's home command: message 1228.
  void Home() const { Send(app::ShowStartMessage, 1, 1); }
  // Gives a control the hint text with the id.
  void Hint(void* control, unsigned textId) const;
  bool Hot(void* button) const { return hot_(button); }
  void Later(std::function<void()> work) const { later_(std::move(work)); }

 private:
  app::MainWindow& window_;
  const Skin& skin_;
  std::function<bool(void*)> hot_;
  std::function<void(std::function<void()>)> later_;
};

class Page : public sys::WindowEvents {
 public:
  // The page's panel is a child of the window, hidden until the page is shown.
  Page(PageContext& context, void* window, app::Page which);
  ~Page() override;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  void* Panel() const { return panel_; }
  // Shows the page's model again.
  virtual void Update(const app::PageShown& shown) = 0;
  // Enter presses this button when the focus is on no button (null: none).
  void* DefaultButton() const { return defaultButton_; }
  bool HasButton(void* button) const { return buttons_.count(button) != 0; }
  // The controls exist: from now on the page arranges them whenever its panel changes size.
  void Built();

  void Resized(int width, int height) override;
  bool EraseBackground(sys::Canvas& canvas, const sys::Rect& client) override;
  void Paint(sys::Canvas& canvas, const sys::Rect& dirty) override;
  void Command(int id, int code, void* control) override;
  bool DrawButton(const sys::ButtonDrawing& drawing) override;
  sys::ControlColours ColoursOf(void* control) override;
  bool WantsHandCursor(void* window, sys::Point client) override;
  // A page's list hears its own notifications.
  void ListTicked(void* list, int row, std::intptr_t param, bool ticked) override;
  void ListColumnClicked(void* list, int column) override;
  bool ListCellColours(void* list, int row, std::intptr_t param, int column, sys::Colour* text,
                       sys::Colour* background) override;

 protected:
  // The page's list, if it has one.
  virtual RowList* List() { return nullptr; }
  // Places the controls in the page's area (its client area inside the margins).
  virtual void Arrange(const sys::Rect& area) = 0;
  virtual void EditChanged(void* /*edit*/) {}
  void Rearrange();

  // The page's controls, in the skin's font, in the order Tab reaches them. Command 0 stands
  // for the home command.
  void* AddButton(unsigned textId, std::uintptr_t command, ButtonLook look = ButtonLook::Page);
  void* AddBox(const std::string& text, std::uintptr_t command, bool groupStart);
  void* AddChoice(const std::string& text, std::uintptr_t command, bool groupStart);
  void* AddLabel(sys::ControlKind kind, const std::string& text);
  // The heading of a group, drawn on its frame's top line.
  void* AddHeading(const std::string& text);
  void* AddEdit();
  void SetDefaultButton(void* button) { defaultButton_ = button; }
  void SetTextColour(void* control, app::BrandColour colour) { colours_[control] = colour; }
  void SetButtonText(void* button, const std::string& text);
  // A check box's caption shown as it is: an address or a name may hold "&", which a box
  // would take for the mark of its access key.
  void SetBoxText(void* box, const std::string& text);
  // The control's status-line hint: the text with the id.
  void Hint(void* control, unsigned textId);

  // Layout, in the skin's unit.
  int Px(int length) const { return context_.Look().Px(length); }
  int LineHeight() const { return Px(20); }
  int ButtonHeight() const { return Px(24); }
  int Gap() const { return Px(6); }
  // Places the shown buttons in a row at the bottom of the area, those of left from the left
  // edge and those of right up to the right edge; the row's room between them.
  sys::Rect ButtonRow(const sys::Rect& area, const std::vector<void*>& left,
                      const std::vector<void*>& right);
  // A group's frame with its heading on the top line, around the rectangle.
  void PlaceGroup(void* heading, const sys::Rect& frame);
  void ClearGroups() { frames_.clear(); }

  PageContext& context_;

 private:
  void* panel_ = nullptr;
  bool built_ = false;
  std::map<void*, std::uintptr_t> commands_;   // the controls that send a command when clicked
  std::map<void*, ButtonLook> buttons_;        // the skinned buttons
  std::map<void*, app::BrandColour> colours_;  // texts in a colour of their own
  std::set<void*> edits_;
  std::vector<void*> hinted_;
  std::vector<sys::Rect> frames_;
  void* defaultButton_ = nullptr;
};

}  // namespace ui::win32
