// The pages that show text: the browser pages notice, start, about, object details, results.
#include <functional>

#include "ui/win32/page_text.h"
#include "ui/win32/pages.h"
#include "ui/win32/rich_text_calls.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

using app::BrowserPagesNotice;
namespace command = app::command;

constexpr unsigned kApplyText = 198, kScanNowText = 216, kBackText = 214, kHomeText = 143,
                   kIgnoreListText = 147, kQuarantineText = 146;
constexpr unsigned kSavedPageText = 241, kBrowserPageText = 242, kNoPageText = 243;
constexpr unsigned kStartPage = 143, kAboutPage = 148;
constexpr unsigned kScanNowHint = 230, kHomeHint = 238;

class NoticePage : public Page {
 public:
  NoticePage(PageContext& context, void* window) : Page(context, window, app::Page::Notice) {
    explanation_ = AddLabel(sys::ControlKind::WrappedLabel, "");
    for (int pair = 0; pair < 2; ++pair) {
      headings_[pair] = AddHeading("");
      for (int i = 0; i < 2; ++i) {
        const int box = pair * 2 + i;
        boxes_[box] = AddBox("", command::kNoticeFirstBox + box, i == 0);
      }
    }
    apply_ = AddButton(kApplyText, command::kNoticeApply);
    SetDefaultButton(apply_);
  }

  void Update(const app::PageShown&) override {
    BrowserPagesNotice* notice = context_.Window().Notice();
    if (!notice) return;
    const app::Resources& texts = context_.Window().Texts();
    sys::SetText(explanation_, notice->Explanation());
    sys::SetText(headings_[0], notice->StartHeading());
    sys::SetText(headings_[1], notice->SearchHeading());
    for (int box = 0; box < BrowserPagesNotice::BoxCount; ++box) {
      const auto which = static_cast<BrowserPagesNotice::Box>(box);
      const std::string& page = notice->Caption(which);
      const std::string shown = page.empty() ? texts.String(kNoPageText) : page;
      SetBoxText(boxes_[box], texts.Format(box % 2 ? kBrowserPageText : kSavedPageText, {shown}));
      sys::SetChecked(boxes_[box], notice->Ticked(which));
    }
    Rearrange();  // the explanation's height follows its text
  }

 protected:
  void Arrange(const sys::Rect& area) override {
    ClearGroups();
    const int explained =
        sys::WrappedTextHeight(context_.Look().Font(), sys::Text(explanation_), area.Width());
    sys::Move(explanation_, {area.left, area.top, area.right, area.top + explained});
    int y = area.top + explained + 2 * Gap();
    for (int pair = 0; pair < 2; ++pair) {
      const int top = y + context_.Look().FontHeight() / 2;
      int row = top + Px(12);
      for (int i = 0; i < 2; ++i) {
        sys::Move(boxes_[pair * 2 + i],
                  {area.left + Px(10), row, area.right - Px(10), row + LineHeight()});
        row += LineHeight() + Gap();
      }
      PlaceGroup(headings_[pair], {area.left, top, area.right, row});
      y = row + 2 * Gap();
    }
    const int width = context_.Look().ButtonWidth(sys::Text(apply_));
    sys::Move(apply_, {area.right - width, y, area.right, y + ButtonHeight()});
  }

 private:
  void* explanation_;
  void* headings_[2];
  void* boxes_[BrowserPagesNotice::BoxCount];
  void* apply_;
};

// A page of the resource library with the model's lines, and the page's buttons below.
class TextPage : public Page {
 public:
  TextPage(PageContext& context, void* window, app::Page which, unsigned pageId,
           std::function<std::vector<std::string>()> lines)
      : Page(context, window, which), pageId_(pageId), lines_(std::move(lines)) {
    text_ = sys::CreateRichText(Panel(), IDC_PAGE_TEXT);
    rich_ = text_ != nullptr;
    if (rich_) {
      sys::SetFont(text_, context.Look().Font());
      sys::SetRichTextBackground(text_, context.Look().Colour(app::BrandColour::White));
    } else {
      text_ = AddLabel(sys::ControlKind::WrappedLabel, "");  // no rich edit on this system
    }
  }

  // A button below the text, with its hint (0: none); Enter presses the default one.
  void AddPageButton(unsigned textId, std::uintptr_t command, ButtonLook look, unsigned hint,
                     bool isDefault) {
    void* button = AddButton(textId, command, look);
    if (hint) Hint(button, hint);
    if (isDefault) SetDefaultButton(button);
    buttons_.push_back(button);
  }

  void Update(const app::PageShown&) override {
    const std::string html = pageId_ ? context_.Window().Texts().Page(pageId_) : std::string();
    const std::vector<std::string> lines = lines_();
    if (!rich_) {
      sys::SetText(text_, PagePlainText(html, lines));
      return;
    }
    PageLook look;
    look.face = sys::MessageFontFace();
    look.halfPoints = sys::MessageFontHalfPoints();
    look.codePage = context_.Window().Machine().Code().Number();
    look.link = context_.Look().Colour(app::BrandColour::Blue);
    sys::SetRichText(text_, PageRtf(html, lines, look));
  }

 protected:
  void Arrange(const sys::Rect& area) override {
    const sys::Rect row = ButtonRow(area, {}, buttons_);
    sys::Move(text_, {area.left, area.top, area.right, row.top - Gap()});
  }

 private:
  unsigned pageId_;
  std::function<std::vector<std::string>()> lines_;
  void* text_;
  bool rich_;
  std::vector<void*> buttons_;
};

// The results page: the statistics in "Arial" under their heading, and where to go next.
class ResultsPage : public Page {
 public:
  ResultsPage(PageContext& context, void* window) : Page(context, window, app::Page::Results) {
    heading_ = AddLabel(sys::ControlKind::Label, "");
    sys::SetFont(heading_, context.Look().StatisticsHeadingFont());
    statistics_ = AddLabel(sys::ControlKind::WrappedLabel, "");
    sys::SetFont(statistics_, context.Look().StatisticsFont());
    buttons_ = {AddButton(kIgnoreListText, command::kResultsIgnore),
                AddButton(kQuarantineText, command::kResultsQuarantine),
                AddButton(kHomeText, command::kScanNow)};
  }

  void Update(const app::PageShown&) override {
    const std::vector<std::string>& lines = context_.Window().Results().lines;
    sys::SetText(heading_, lines.empty() ? std::string() : lines.front());
    std::string rest;
    for (std::size_t i = 1; i < lines.size(); ++i) rest += (i > 1 ? "\r\n" : "") + lines[i];
    sys::SetText(statistics_, rest);
    Rearrange();
  }

 protected:
  void Arrange(const sys::Rect& area) override {
    const int row = ButtonRow(area, {}, buttons_).top;
    const int heading =
        sys::TextSize(context_.Look().StatisticsHeadingFont(), sys::Text(heading_)).height;
    sys::Move(heading_, {area.left, area.top, area.right, area.top + heading});
    const int top = area.top + heading + Px(4);
    const int height = sys::WrappedTextHeight(context_.Look().StatisticsFont(),
                                              sys::Text(statistics_), area.Width());
    sys::Move(statistics_, {area.left, top, area.right, std::min(top + height, row - Gap())});
  }

 private:
  void* heading_;
  void* statistics_;
  std::vector<void*> buttons_;
};

class HiddenPage : public Page {
 public:
  HiddenPage(PageContext& context, void* window) : Page(context, window, app::Page::Hidden) {}
  void Update(const app::PageShown&) override {}

 protected:
  void Arrange(const sys::Rect&) override {}
};

}  // namespace

std::unique_ptr<Page> MakeNoticePage(PageContext& context, void* window) {
  return std::make_unique<NoticePage>(context, window);
}

std::unique_ptr<Page> MakeStartPage(PageContext& context, void* window) {
  auto page = std::make_unique<TextPage>(context, window, app::Page::Start, kStartPage,
                                         [&context] { return context.Window().Start().Lines(); });
  page->AddPageButton(kScanNowText, command::kScanNow, ButtonLook::Page, kScanNowHint, true);
  return page;
}

std::unique_ptr<Page> MakeAboutPage(PageContext& context, void* window) {
  auto page = std::make_unique<TextPage>(context, window, app::Page::About, kAboutPage,
                                         [&context] { return context.Window().About().Lines(); });
  page->AddPageButton(kHomeText, 0, ButtonLook::Page, kHomeHint, false);
  return page;
}

std::unique_ptr<Page> MakeDetailsPage(PageContext& context, void* window) {
  auto page = std::make_unique<TextPage>(context, window, app::Page::ObjectDetails, 0,
                                         [&context] { return context.Window().Details().Lines(); });
  page->AddPageButton(kBackText, command::kScanning, ButtonLook::Back, 0, false);
  return page;
}

std::unique_ptr<Page> MakeResultsPage(PageContext& context, void* window) {
  return std::make_unique<ResultsPage>(context, window);
}

std::unique_ptr<Page> MakeHiddenPage(PageContext& context, void* window) {
  return std::make_unique<HiddenPage>(context, window);
}

}  // namespace ui::win32
