// The pages of settings: the options and the scan settings. Every box sends its command
// when clicked; the model writes the setting and the page shows the model again.
#include <algorithm>

#include "app/settings_page_parts.h"
#include "ui/win32/pages.h"

namespace ui::win32 {
namespace {

namespace command = app::command;

using namespace app::settings_page;

// Lays out boxes in two columns inside a group's frame that starts at top; the frame's bottom.
int PlaceBoxGrid(void* const* boxes, std::size_t count, const sys::Rect& area, int top, int line,
                 int gap, int inset) {
  const int column = (area.Width() - 2 * inset) / 2;
  int y = top + line / 2 + gap;
  for (std::size_t box = 0; box < count; ++box) {
    const int left = area.left + inset + static_cast<int>(box % 2) * column;
    const int row = y + static_cast<int>(box / 2) * (line + gap);
    sys::Move(boxes[box], {left, row, left + column - gap, row + line});
  }
  return y + static_cast<int>((count + 1) / 2) * (line + gap) + gap / 2;
}

class OptionsPage : public Page {
 public:
  OptionsPage(PageContext& context, void* window) : Page(context, window, app::Page::Options) {
    heading_ = AddHeading(context.Text(kOptionsHeading));
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      boxes_[box] = AddBox(context.Text(kFirstOptionText + static_cast<unsigned>(box)),
                           kOptionCommands[box], box == 0);
    for (int mode = 0; mode < 3; ++mode)
      modes_[mode] =
          AddChoice(context.Text(kFirstScanModeText + mode), kScanModeCommands[mode], mode == 0);
    homepageLabel_ = AddLabel(sys::ControlKind::Label, context.Text(kStartPageText));
    homepage_ = AddEdit();
    searchpageLabel_ = AddLabel(sys::ControlKind::Label, context.Text(kSearchPageText));
    searchpage_ = AddEdit();
    update_ = AddButton(kUpdateText, command::kOptionsUpdate);
    openLogs_ = AddButton(kOpenLogsText, command::kOpenLogs);
    Hint(openLogs_, kOpenLogsHint);
    mailLogs_ = AddButton(kMailLogsText, command::kMailLogs);
    Hint(mailLogs_, kMailLogsHint);
    apply_ = AddButton(kApplyText, command::kOptionsApply);
    SetDefaultButton(apply_);
  }

  void Update(const app::PageShown&) override {
    const app::OptionsPage* options = context_.Window().Options();
    if (!options) return;
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      sys::SetChecked(boxes_[box], options->Checked(box));
    for (int mode = 0; mode < 3; ++mode) {
      sys::SetChecked(modes_[mode], options->ScanMode() == mode + 1);
      sys::Enable(modes_[mode], options->ChoicesEnabled());
    }
    filling_ = true;
    // The edits keep their caret where they already hold the model's text.
    if (sys::Text(homepage_) != options->homepage) sys::SetText(homepage_, options->homepage);
    if (sys::Text(searchpage_) != options->searchpage)
      sys::SetText(searchpage_, options->searchpage);
    filling_ = false;
  }

 protected:
  // The edits are the model's texts: apply writes what they hold.
  void EditChanged(void* edit) override {
    app::OptionsPage* options = context_.Window().Options();
    if (filling_ || !options) return;
    (edit == homepage_ ? options->homepage : options->searchpage) = sys::Text(edit);
  }

  void Arrange(const sys::Rect& area) override {
    ClearGroups();
    const int line = LineHeight(), gap = Gap(), inset = Px(10);
    const int top = area.top + context_.Look().FontHeight() / 2;
    const int bottom = PlaceBoxGrid(boxes_, std::size(boxes_), area, top, line, gap, inset);
    PlaceGroup(heading_, {area.left, top, area.right, bottom});
    const int modesTop = bottom + 2 * gap;
    int y = modesTop + gap;
    for (void* mode : modes_) {
      sys::Move(mode, {area.left + inset, y, area.right - inset, y + line});
      y += line + gap;
    }
    PlaceGroup(nullptr, {area.left, modesTop, area.right, y});
    y += gap;
    const int labels =
        std::max(sys::TextSize(context_.Look().Font(), sys::Text(homepageLabel_)).width,
                 sys::TextSize(context_.Look().Font(), sys::Text(searchpageLabel_)).width) +
        gap;
    const int editHeight = Px(22);
    for (const auto& [label, edit] :
         {std::pair{homepageLabel_, homepage_}, std::pair{searchpageLabel_, searchpage_}}) {
      sys::Move(label, {area.left, y + (editHeight - line) / 2 + Px(2), area.left + labels,
                        y + (editHeight + line) / 2 + Px(2)});
      sys::Move(edit, {area.left + labels, y, area.right, y + editHeight});
      y += editHeight + gap;
    }
    ButtonRow(area, {update_, openLogs_, mailLogs_}, {apply_});
  }

 private:
  void* heading_;
  void* boxes_[std::size(kOptionCommands)];
  void* modes_[3];
  void* homepageLabel_;
  void* homepage_;
  void* searchpageLabel_;
  void* searchpage_;
  void* update_;
  void* openLogs_;
  void* mailLogs_;
  void* apply_;
  bool filling_ = false;
};

class ScanSettingsPage : public Page {
 public:
  ScanSettingsPage(PageContext& context, void* window)
      : Page(context, window, app::Page::ScanSettings) {
    heading_ = AddHeading(context.Text(kScanHeading));
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      boxes_[box] = AddBox(context.Text(kFirstScanSettingText + static_cast<unsigned>(box)),
                           command::kScanSettingsFirstBox + box, box == 0);
    foldersLabel_ = AddLabel(sys::ControlKind::Label, context.Text(kFoldersHeading));
    folders_ = AddLabel(sys::ControlKind::WrappedLabel, "");
    chooseFolders_ = AddButton(kFoldersText, command::kScanFolders);
    schedule_ = AddButton(kScheduleText, command::kSchedule);
    Hint(schedule_, kScheduleHint);
  }

  void Update(const app::PageShown&) override {
    const app::ScanSettingsPage* settings = context_.Window().ScanSettings();
    if (!settings) return;
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      sys::SetChecked(boxes_[box], settings->Checked(box));
    std::string folders;
    for (const std::string& folder : settings->Folders())
      folders += (folders.empty() ? "" : "; ") + folder;
    sys::SetText(folders_, folders);
    Rearrange();
  }

 protected:
  void Arrange(const sys::Rect& area) override {
    ClearGroups();
    const int line = LineHeight(), gap = Gap();
    const int top = area.top + context_.Look().FontHeight() / 2;
    const int bottom = PlaceBoxGrid(boxes_, std::size(boxes_), area, top, line, gap, Px(10));
    PlaceGroup(heading_, {area.left, top, area.right, bottom});
    int y = bottom + gap;
    const Skin& look = context_.Look();
    const int label = sys::TextSize(look.Font(), sys::Text(foldersLabel_)).width + gap;
    const int button = look.ButtonWidth(sys::Text(chooseFolders_));
    const int room = area.Width() - label - button - gap;
    const int folders =
        std::max(line, sys::WrappedTextHeight(look.Font(), sys::Text(folders_), room));
    const int rowHeight = std::max(folders, ButtonHeight());
    const int textTop = y + (ButtonHeight() - look.FontHeight()) / 2;
    sys::Move(foldersLabel_, {area.left, textTop, area.left + label, textTop + line});
    sys::Move(folders_, {area.left + label, textTop, area.left + label + room, textTop + folders});
    sys::Move(chooseFolders_, {area.right - button, y, area.right, y + ButtonHeight()});
    y += rowHeight + gap;
    const int scheduleWidth = look.ButtonWidth(sys::Text(schedule_));
    sys::Move(schedule_, {area.left, y, area.left + scheduleWidth, y + ButtonHeight()});
  }

 private:
  void* heading_;
  void* boxes_[8];
  void* foldersLabel_;
  void* folders_;
  void* chooseFolders_;
  void* schedule_;
};

}  // namespace

std::unique_ptr<Page> MakeOptionsPage(PageContext& context, void* window) {
  return std::make_unique<OptionsPage>(context, window);
}

std::unique_ptr<Page> MakeScanSettingsPage(PageContext& context, void* window) {
  return std::make_unique<ScanSettingsPage>(context, window);
}

}  // namespace ui::win32
