// The pages with lists: the scan page with its found items, the ignore list and the
// quarantine.
#include <optional>

#include "ui/win32/control_calls.h"
#include "ui/win32/pages.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

namespace command = app::command;

constexpr unsigned kFirstColumnText = 189;  // name, type, category, location, danger
constexpr unsigned kFirstCounterText = 194;
constexpr unsigned kFirstMenuText = 184;  // tick all, untick all, invert, ignore, details
constexpr unsigned kRestoreText = 180, kDeleteText = 181, kUnignoreText = 212, kHomeText = 143;
constexpr unsigned kFirstQuarantineColumn = 87;
constexpr unsigned kScanButtonHint = 239, kLayoutHint = 240;
// The menu opens this much above the cursor, as the program always had it.
constexpr int kMenuRaise = 5;
// While a scan runs without a marquee, the bar moves on by this much at each report.
constexpr int kActivityStep = 5;

std::vector<std::string> Headings(PageContext& context, unsigned first, int count) {
  std::vector<std::string> headings;
  for (int i = 0; i < count; ++i) headings.push_back(context.Text(first + i));
  return headings;
}

std::vector<ListRow> FoundItemRows(PageContext& context,
                                   const std::vector<removal::ResultRow>& rows, bool labelChanged) {
  std::vector<ListRow> shown;
  for (const removal::ResultRow& row : rows) {
    const app::FoundRow columns =
        app::ListColumns(context.Window().Texts(), row.item, labelChanged);
    shown.push_back(
        {{columns.entryName, columns.kindLabel, columns.category, columns.text, columns.danger},
         row.ticked});
  }
  return shown;
}

// A tick changed by the person: the model hears of it once the list's notification is over.
std::function<void(int)> ToggleRow(PageContext& context) {
  return [&context](int row) {
    context.Later([&context, row] { context.Command(command::kToggleRow, row); });
  };
}

RowList FoundItemsList(PageContext& context, void* panel) {
  // The location takes what the other four columns leave, so that all five stay in sight.
  RowList list(panel, context.Look(), Headings(context, kFirstColumnText, 5), {165, 115, 95, 0, 60},
               ToggleRow(context));
  list.Emphasise(4, app::BrandColour::SolidRed);
  return list;
}

class ScanPage : public ScanPageView {
 public:
  ScanPage(PageContext& context, void* window)
      : ScanPageView(context, window, app::Page::Scan), list_(FoundItemsList(context, Panel())) {
    phase_ = AddLabel(sys::ControlKind::Label, "");
    item_ = AddLabel(sys::ControlKind::PathLabel, "");
    bar_ = sys::CreateProgressBar(Panel(), -1);
    for (int i = 0; i < 4; ++i) {
      captions_[i] = AddLabel(sys::ControlKind::Label, context.Text(kFirstCounterText + i));
      counters_[i] = AddLabel(sys::ControlKind::Label, "0");
      sys::SetFont(counters_[i], context.Look().BoldFont());
      SetTextColour(counters_[i], app::BrandColour::Orange);
    }
    status_ = AddLabel(sys::ControlKind::Label, "");
    layoutButton_ = AddButton(0, command::kLayoutButton);
    scanButton_ = AddButton(0, command::kScanButton);
    Hint(layoutButton_, kLayoutHint);
    Hint(scanButton_, kScanButtonHint);
  }

  void Update(const app::PageShown&) override {
    app::ScanPage& page = context_.Window().Scan();
    list_.SetRows(FoundItemRows(context_, page.Rows(), true));
    sys::SetText(status_, page.status);
    SetButtonText(scanButton_, page.scanButton);
    sys::Show(scanButton_, !page.scanButton.empty());
    SetButtonText(layoutButton_, page.LayoutCaption());
    // The list-only layout hides the progress so that the list has the page's height.
    const bool progress = !page.listOnly;
    for (void* control : ProgressControls()) sys::Show(control, progress);
    if (context_.Window().ScanRunning()) {
      StartActivity();
    } else if (!scanning_) {
      sys::SetProgress(bar_, page.status.empty() ? 0 : 100);
    }
    Rearrange();
  }

  void AppendRow(const app::FoundRow& row) override {
    list_.AppendRow({{row.entryName, row.kindLabel, row.category, row.text, row.danger}, true});
  }

  void ShowProgress(const app::ScanProgressView& progress) override {
    sys::SetText(phase_, progress.phaseText);
    sys::SetText(item_, progress.itemText);
    const int values[] = {progress.objectsExamined, progress.itemsFound, progress.itemsListed,
                          progress.itemsIgnored};
    for (int i = 0; i < 4; ++i) sys::SetText(counters_[i], std::to_string(values[i]));
    StartActivity();
    if (!marquee_) {
      activity_ = (activity_ + kActivityStep) % 100;
      sys::SetProgress(bar_, activity_);
    }
  }

  void ShowEnd(const std::string& status, const std::string& button) override {
    sys::SetText(status_, status);
    SetButtonText(scanButton_, button);
    sys::Show(scanButton_, true);
    if (marquee_) sys::SetMarquee(bar_, false);
    marquee_ = scanning_ = false;
    sys::SetProgress(bar_, 100);
    Rearrange();
  }

  void ContextMenu(void* control, sys::Point screen, bool fromKeyboard) override {
    if (control != list_.Handle()) return;
    const int row = fromKeyboard ? list_.CurrentRow() : list_.RowAtScreen(screen);
    const sys::Point at =
        fromKeyboard ? list_.MenuPointOf(row) : sys::Point{screen.x, screen.y - Px(kMenuRaise)};
    // The window fills the captions of the row's entry and kind before the menu opens.
    context_.Send(app::WM_CONTEXTMENU,
                  static_cast<platform::WPARAM>(static_cast<platform::LPARAM>(row)), 0);
    const app::ScanPage& page = context_.Window().Scan();
    const bool onRow = page.MenuRow().has_value();
    std::vector<sys::MenuItem> items = {
        {context_.Text(kFirstMenuText), command::kTickAll, true},
        {context_.Text(kFirstMenuText + 1), command::kUntickAll, true},
        {context_.Text(kFirstMenuText + 2), command::kInvertTicks, true},
        {"", 0, true},
        {context_.Text(kFirstMenuText + 3), command::kIgnoreTicked, true},
        {context_.Text(kFirstMenuText + 4), command::kDetails, onRow},
        {"", 0, true},
    };
    for (std::size_t i = 0; i < page.MenuCaptions().size(); ++i)
      items.push_back(
          {page.MenuCaptions()[i], static_cast<unsigned>(command::kTickEntry + i), onRow});
    if (const unsigned chosen = sys::ChooseFromMenu(Panel(), items, at)) context_.Command(chosen);
  }

 protected:
  RowList* List() override { return &list_; }

  void Arrange(const sys::Rect& area) override {
    const sys::Rect row = ButtonRow(area, {}, {layoutButton_, scanButton_});
    sys::Move(status_, row);
    int y = area.top;
    if (sys::Shown(phase_)) {
      const int line = LineHeight();
      sys::Move(phase_, {area.left, y, area.right, y + line});
      y += line;
      sys::Move(item_, {area.left, y, area.right, y + line});
      y += line + Px(2);
      sys::Move(bar_, {area.left, y, area.right, y + Px(14)});
      y += Px(14) + Gap();
      const int column = area.Width() / 4;
      for (int i = 0; i < 4; ++i) {
        const int left = area.left + i * column;
        sys::Move(captions_[i], {left, y, left + column - Gap(), y + line});
        sys::Move(counters_[i], {left, y + line, left + column - Gap(), y + 2 * line});
      }
      y += 2 * line + Gap();
    }
    list_.Place({area.left, y, area.right, row.top - Gap()});
  }

 private:
  std::vector<void*> ProgressControls() const {
    std::vector<void*> controls = {phase_, item_, bar_};
    for (int i = 0; i < 4; ++i) {
      controls.push_back(captions_[i]);
      controls.push_back(counters_[i]);
    }
    return controls;
  }

  // The bar shows that the scan goes on: it cannot know how much is left.
  void StartActivity() {
    if (scanning_) return;
    scanning_ = true;
    activity_ = 0;
    marquee_ = sys::SetMarquee(bar_, true);
    if (!marquee_) sys::SetProgress(bar_, 0);
  }

  RowList list_;
  void* phase_;
  void* item_;
  void* bar_;
  void* captions_[4];
  void* counters_[4];
  void* status_;
  void* layoutButton_;
  void* scanButton_;
  bool scanning_ = false, marquee_ = false;
  int activity_ = 0;
};

class IgnorePage : public Page {
 public:
  IgnorePage(PageContext& context, void* window)
      : Page(context, window, app::Page::Ignore), list_(FoundItemsList(context, Panel())) {
    buttons_ = {AddButton(kUnignoreText, command::kUnignore), AddButton(kHomeText, 0)};
  }
  void Update(const app::PageShown&) override {
    list_.SetRows(FoundItemRows(context_, context_.Window().Ignore().Rows(), false));
  }

 protected:
  RowList* List() override { return &list_; }
  void Arrange(const sys::Rect& area) override {
    const sys::Rect row = ButtonRow(area, {}, buttons_);
    list_.Place({area.left, area.top, area.right, row.top - Gap()});
  }

 private:
  RowList list_;
  std::vector<void*> buttons_;
};

class QuarantinePage : public Page {
 public:
  QuarantinePage(PageContext& context, void* window)
      : Page(context, window, app::Page::Quarantine),
        list_(Panel(), context.Look(), Headings(context, kFirstQuarantineColumn, 4),
              {240, 60, 90, 0}, ToggleRow(context)) {
    buttons_ = {AddButton(kRestoreText, command::kRestoreArchives),
                AddButton(kDeleteText, command::kDeleteArchives), AddButton(kHomeText, 0)};
  }
  void Update(const app::PageShown&) override {
    std::vector<ListRow> rows;
    if (const app::QuarantinePage* page = context_.Window().Quarantine())
      for (const auto& row : page->Rows())
        rows.push_back({{row.title, row.itemTotal, row.size, row.created}, row.ticked});
    list_.SetRows(rows);
  }

 protected:
  RowList* List() override { return &list_; }
  void Arrange(const sys::Rect& area) override {
    const sys::Rect row = ButtonRow(area, {}, buttons_);
    list_.Place({area.left, area.top, area.right, row.top - Gap()});
  }

 private:
  RowList list_;
  std::vector<void*> buttons_;
};

}  // namespace

std::unique_ptr<ScanPageView> MakeScanPage(PageContext& context, void* window) {
  return std::make_unique<ScanPage>(context, window);
}

std::unique_ptr<Page> MakeIgnorePage(PageContext& context, void* window) {
  return std::make_unique<IgnorePage>(context, window);
}

std::unique_ptr<Page> MakeQuarantinePage(PageContext& context, void* window) {
  return std::make_unique<QuarantinePage>(context, window);
}

}  // namespace ui::win32
