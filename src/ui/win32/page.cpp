#include "ui/win32/page.h"

#include "app/hint_table.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

using app::BrandColour;

constexpr int kMargin = 9;
constexpr int kHeadingInset = 8;

}  // namespace

void PageContext::Command(std::uintptr_t id, platform::LPARAM lParam) const {
  Send(app::WM_COMMAND, id, lParam);
}

platform::LRESULT PageContext::Send(platform::UINT message, platform::WPARAM wParam,
                                    platform::LPARAM lParam) const {
  if (!window_.Handle()) return 0;  // the controller's window has closed
  return window_.Machine().messages().SendMessageA(window_.Handle(), message, wParam, lParam);
}

void PageContext::Hint(void* control, unsigned textId) const {
  app::HintTable::Instance().SetStringId(control, textId);
}

Page::Page(PageContext& context, void* window, app::Page which) : context_(context) {
  // Made once every member is there: the panel's first messages come before it returns.
  panel_ = sys::CreatePanel(window, IDC_PAGE_FIRST + static_cast<int>(which), this);
}

Page::~Page() {
  for (void* control : hinted_) app::HintTable::Instance().Remove(control);
  sys::Release(panel_);
  sys::Destroy(panel_);
}

void Page::Built() {
  built_ = true;
  Rearrange();
}

void Page::Rearrange() {
  if (!built_) return;
  const sys::Rect client = sys::ClientRect(panel_);
  const int margin = Px(kMargin);
  Arrange(
      {client.left + margin, client.top + margin, client.right - margin, client.bottom - margin});
  sys::RepaintAll(panel_);
}

void Page::Resized(int, int) {
  Rearrange();
}

bool Page::EraseBackground(sys::Canvas& canvas, const sys::Rect& client) {
  canvas.Fill(client, context_.Look().Colour(BrandColour::White));
  return true;
}

void Page::Paint(sys::Canvas& canvas, const sys::Rect&) {
  for (const sys::Rect& frame : frames_)
    canvas.Outline(frame, context_.Look().Colour(BrandColour::LightBlueGray));
}

void Page::Command(int, int code, void* control) {
  if (code == sys::kEditChanged && edits_.count(control)) {
    EditChanged(control);
    return;
  }
  auto found = commands_.find(control);
  if (code != sys::kClicked || found == commands_.end()) return;
  if (found->second)
    context_.Command(found->second);
  else
    context_.Home();
}

bool Page::DrawButton(const sys::ButtonDrawing& drawing) {
  auto found = buttons_.find(drawing.button);
  if (found == buttons_.end()) return false;
  context_.Look().DrawButton(drawing, found->second, false, context_.Hot(drawing.button),
                             sys::Text(drawing.button));
  return true;
}

sys::ControlColours Page::ColoursOf(void* control) {
  if (edits_.count(control)) return {};
  const Skin& look = context_.Look();
  auto found = colours_.find(control);
  const BrandColour text = found == colours_.end() ? BrandColour::Black : found->second;
  return {true, look.Colour(text), look.Colour(BrandColour::White), look.Brush(BrandColour::White)};
}

bool Page::WantsHandCursor(void* window, sys::Point) {
  return buttons_.count(window) && sys::Enabled(window);
}

void Page::ListTicked(void* list, int, std::intptr_t param, bool ticked) {
  if (RowList* rows = List(); rows && rows->Handle() == list) rows->Ticked(param, ticked);
}

void Page::ListColumnClicked(void* list, int column) {
  if (RowList* rows = List(); rows && rows->Handle() == list) rows->ColumnClicked(column);
}

bool Page::ListCellColours(void* list, int row, std::intptr_t, int column, sys::Colour* text,
                           sys::Colour* background) {
  RowList* rows = List();
  return rows && rows->Handle() == list && rows->CellColours(row, column, text, background);
}

void* Page::AddButton(unsigned textId, std::uintptr_t command, ButtonLook look) {
  const int id = command ? static_cast<int>(command) : IDC_HOME;
  void* button = sys::CreateControl(panel_, sys::ControlKind::SkinnedButton, id,
                                    context_.Text(textId), true, false);
  sys::SetFont(button, context_.Look().Font());
  commands_[button] = command;
  buttons_[button] = look;
  return button;
}

void* Page::AddBox(const std::string& text, std::uintptr_t command, bool groupStart) {
  void* box = sys::CreateControl(panel_, sys::ControlKind::CheckBox, static_cast<int>(command),
                                 text, true, groupStart);
  sys::SetFont(box, context_.Look().Font());
  commands_[box] = command;
  return box;
}

void* Page::AddChoice(const std::string& text, std::uintptr_t command, bool groupStart) {
  void* choice = sys::CreateControl(panel_, sys::ControlKind::Choice, static_cast<int>(command),
                                    text, groupStart, groupStart);
  sys::SetFont(choice, context_.Look().Font());
  commands_[choice] = command;
  return choice;
}

void* Page::AddLabel(sys::ControlKind kind, const std::string& text) {
  void* label = sys::CreateControl(panel_, kind, -1, text, false, false);
  sys::SetFont(label, context_.Look().Font());
  return label;
}

void* Page::AddHeading(const std::string& text) {
  void* heading = AddLabel(sys::ControlKind::Label, text);
  sys::SetFont(heading, context_.Look().BoldFont());
  SetTextColour(heading, BrandColour::Blue);
  return heading;
}

void* Page::AddEdit() {
  void* edit = sys::CreateControl(panel_, sys::ControlKind::Edit, -1, "", true, true);
  sys::SetFont(edit, context_.Look().Font());
  edits_.insert(edit);
  return edit;
}

void Page::SetButtonText(void* button, const std::string& text) {
  if (sys::Text(button) == text) return;
  sys::SetText(button, text);
  sys::Repaint(button);
}

void Page::SetBoxText(void* box, const std::string& text) {
  std::string shown;
  for (const char c : text) {
    shown += c;
    if (c == '&') shown += '&';
  }
  sys::SetText(box, shown);
}

void Page::Hint(void* control, unsigned textId) {
  context_.Hint(control, textId);
  hinted_.push_back(control);
}

sys::Rect Page::ButtonRow(const sys::Rect& area, const std::vector<void*>& left,
                          const std::vector<void*>& right) {
  const int top = area.bottom - ButtonHeight();
  const Skin& look = context_.Look();
  int start = area.left;
  for (void* button : left) {
    if (!sys::Shown(button)) continue;
    const int width = look.ButtonWidth(sys::Text(button));
    sys::Move(button, {start, top, start + width, area.bottom});
    start += width + Gap();
  }
  int end = area.right;
  for (auto it = right.rbegin(); it != right.rend(); ++it) {
    if (!sys::Shown(*it)) continue;
    const int width = look.ButtonWidth(sys::Text(*it));
    sys::Move(*it, {end - width, top, end, area.bottom});
    end -= width + Gap();
  }
  return {start, top, end, area.bottom};
}

void Page::PlaceGroup(void* heading, const sys::Rect& frame) {
  frames_.push_back(frame);
  if (!heading) return;
  const int width = sys::TextSize(context_.Look().BoldFont(), sys::Text(heading)).width + Px(6);
  const int height = context_.Look().FontHeight();
  const int left = frame.left + Px(kHeadingInset);
  sys::Move(heading, {left, frame.top - height / 2, left + width, frame.top - height / 2 + height});
}

}  // namespace ui::win32
