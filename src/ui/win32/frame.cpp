#include "ui/win32/frame.h"

#include <algorithm>

#include "app/hint_table.h"
#include "ui/win32/dialog_calls.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

using app::BrandColour;
using app::BrandImage;
namespace command = app::command;

// The view's own messages to its window.
constexpr unsigned kWorkMessage = sys::kFirstViewMessage + 1;  // run the queued work
constexpr unsigned kRunMessage = sys::kFirstViewMessage + 2;   // lParam: the work to run now

// The window's parts, in the skin's unit.
constexpr int kMinimumWidth = 760, kMinimumHeight = 540;
constexpr int kHeaderHeight = 64, kNavigationWidth = 150, kFooterHeight = 26, kRightMargin = 8;
constexpr int kNavigationInset = 6, kNavigationTop = 10, kNavigationHeight = 28,
              kNavigationStep = 34;
constexpr int kNameLeft = 14, kHeaderGap = 40, kStatusLeft = 110, kPoweredByLeft = 4;

struct NavigationItem {
  unsigned text, hint;
  std::uintptr_t command;  // 0: message 1228 (home)
  std::vector<app::Page> pages;
};

const NavigationItem kNavigation[] = {
    {143, 238, 0, {app::Page::Start, app::Page::Notice}},
    {216, 230, command::kScanNow, {}},
    {176, 231, command::kScanning, {app::Page::Scan, app::Page::ObjectDetails}},
    {149, 232, command::kScanSettings, {app::Page::ScanSettings}},
    {146, 233, command::kQuarantine, {app::Page::Quarantine}},
    {147, 234, command::kIgnore, {app::Page::Ignore}},
    {145, 235, command::kOptions, {app::Page::Options}},
    {148, 236, command::kAbout, {app::Page::About}},
    {215, 237, command::kOpenAddress, {}},
};

}  // namespace

Frame::Frame() {
  // Made once every member is there: the window's first messages come before it returns.
  window_ = sys::CreateTopWindow("", this);
}

Frame::~Frame() {
  Close();
  sys::Release(window_);
  sys::Destroy(window_);
}

void Frame::Open(app::MainWindow& controller) {
  controller_ = &controller;
  skin_ = std::make_unique<Skin>(controller.Branding());
  context_ = std::make_unique<PageContext>(
      controller, *skin_, [this](void* button) { return hot_ == button; },
      [this](std::function<void()> work) { Later(std::move(work)); });
  sys::SetText(window_, controller.Branding().APPNAME);
  for (const NavigationItem& item : kNavigation) {
    const int id = item.command ? static_cast<int>(item.command) : IDC_NAVIGATION_HOME;
    void* button = sys::CreateControl(window_, sys::ControlKind::SkinnedButton, id,
                                      context_->Text(item.text), true, navigation_.empty());
    sys::SetFont(button, skin_->Font());
    context_->Hint(button, item.hint);
    navigation_.push_back({button, item.command, item.pages});
  }
  auto scan = MakeScanPage(*context_, window_);
  scanPage_ = scan.get();
  pages_[app::Page::Notice] = MakeNoticePage(*context_, window_);
  pages_[app::Page::Start] = MakeStartPage(*context_, window_);
  pages_[app::Page::About] = MakeAboutPage(*context_, window_);
  pages_[app::Page::Ignore] = MakeIgnorePage(*context_, window_);
  pages_[app::Page::ObjectDetails] = MakeDetailsPage(*context_, window_);
  pages_[app::Page::Quarantine] = MakeQuarantinePage(*context_, window_);
  pages_[app::Page::Scan] = std::move(scan);
  pages_[app::Page::Options] = MakeOptionsPage(*context_, window_);
  pages_[app::Page::ScanSettings] = MakeScanSettingsPage(*context_, window_);
  pages_[app::Page::Results] = MakeResultsPage(*context_, window_);
  pages_[app::Page::Hidden] = MakeHiddenPage(*context_, window_);
  for (auto& [page, view] : pages_) view->Built();
  current_ = pages_[app::Page::Hidden].get();
  Layout();
  // Another program that looks for the application's window by its title finds the
  // controller's, not this one: the controller takes the messages other programs send.
  sys::PutFirstInSearches(controller.Handle());
}

void Frame::Close() {
  if (!controller_) return;
  sys::Show(window_, false);
  {
    std::lock_guard guard(queueLock_);
    queue_.clear();  // work for pages that go now
  }
  hot_ = nullptr;
  current_ = nullptr;
  scanPage_ = nullptr;
  pages_.clear();
  for (const Navigation& item : navigation_) {
    app::HintTable::Instance().Remove(item.button);
    sys::Destroy(item.button);
  }
  navigation_.clear();
  context_.reset();
  skin_.reset();
  controller_ = nullptr;
  shownOnce_ = false;
}

void Frame::ShowPage(const app::PageShown& shown) {
  auto found = pages_.find(shown.page);
  if (found == pages_.end()) return;
  Page* page = found->second.get();
  page->Update(shown);
  if (page != current_) {
    sys::Show(page->Panel(), true);
    if (current_) sys::Show(current_->Panel(), false);
    current_ = page;
  }
  header_ = shown.header;
  sys::RepaintPart(window_, HeaderRect());
  UpdateNavigation();
  if (!shownOnce_) {
    shownOnce_ = true;
    sys::ShowFirstTime(window_);
    sys::Focus(sys::NextTabStop(window_, nullptr, false));
  }
  KeepFocus();
}

void Frame::ShowStatus(const std::string& text) {
  if (!sys::OnOwnThread(window_)) {
    Later([this, text] { ShowStatus(text); });
    return;
  }
  if (status_ == text) return;
  status_ = text;
  sys::RepaintPart(window_, FooterRect());
}

void Frame::UpdateNavigation() {
  if (!controller_) return;
  // Each button draws itself checked while one of its pages is shown.
  const bool scanning = controller_->ScanRunning();
  for (const Navigation& item : navigation_) {
    sys::Enable(item.button, !scanning);
    sys::Repaint(item.button);
  }
  KeepFocus();
}

void Frame::KeepFocus() {
  void* focused = sys::Focused();
  if (!sys::Within(window_, focused) || (sys::Visible(focused) && sys::Enabled(focused))) return;
  // The page that was shown has gone, or the control was turned off: the shown page's first
  // control, else the navigation, takes the focus.
  void* next = current_ ? sys::NextTabStop(current_->Panel(), nullptr, false) : nullptr;
  if (!next || !sys::Within(current_->Panel(), next) || !sys::Visible(next))
    next = sys::NextTabStop(window_, nullptr, false);
  if (next) sys::Focus(next);
}

void Frame::Place(int x, int y, int widthPercent, int heightPercent) {
  const sys::Rect area = sys::WorkArea(window_);
  const sys::Size minimum = MinimumSize();
  // The share of the screen, but never smaller than the pages need, and all of it on the
  // screen.
  const int width =
      std::min(area.Width(), std::max(minimum.width, area.Width() * widthPercent / 100));
  const int height =
      std::min(area.Height(), std::max(minimum.height, area.Height() * heightPercent / 100));
  const int left = std::clamp(x, area.left, area.right - width);
  const int top = std::clamp(y, area.top, area.bottom - height);
  sys::PlaceWindow(window_, {left, top, left + width, top + height});
}

std::pair<int, int> Frame::ClientSize() const {
  const sys::Rect client = sys::ClientRect(window_);
  return {client.Width(), client.Height()};
}

void Frame::Later(std::function<void()> work) {
  {
    std::lock_guard guard(queueLock_);
    queue_.push_back(std::move(work));
  }
  sys::Post(window_, kWorkMessage, 0, 0);
}

void Frame::RunHere(const std::function<void()>& work) {
  if (!window_ || sys::OnOwnThread(window_)) {
    work();
    return;
  }
  sys::Send(window_, kRunMessage, 0, reinterpret_cast<std::intptr_t>(&work));
}

void Frame::RunQueued() {
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard guard(queueLock_);
      if (queue_.empty()) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }
}

bool Frame::IsSkinned(void* button) const {
  for (const Navigation& item : navigation_)
    if (item.button == button) return true;
  return current_ && current_->HasButton(button);
}

void Frame::MouseMoved(void* window) {
  void* hot = IsSkinned(window) ? window : nullptr;
  if (hot == hot_) return;
  if (hot_) sys::Repaint(hot_);
  hot_ = hot;
  if (hot_) {
    sys::Repaint(hot_);
    sys::WatchMouseLeave(hot_);
  }
}

void Frame::MouseLeft(void* window) {
  if (window != hot_) return;
  hot_ = nullptr;
  sys::Repaint(window);
}

sys::Rect Frame::HeaderRect() const {
  const sys::Rect client = sys::ClientRect(window_);
  return {0, 0, client.right, skin_ ? skin_->Px(kHeaderHeight) : 0};
}

sys::Rect Frame::FooterRect() const {
  const sys::Rect client = sys::ClientRect(window_);
  return {0, client.bottom - (skin_ ? skin_->Px(kFooterHeight) : 0), client.right, client.bottom};
}

sys::Rect Frame::LogoRect() const {
  const sys::Rect footer = FooterRect();
  const sys::Size size =
      skin_ ? sys::BitmapSize(skin_->Bitmap(BrandImage::PoweredBy)) : sys::Size{};
  const int left = skin_ ? skin_->Px(kPoweredByLeft) : 0;
  const int top = footer.top + (footer.Height() - size.height) / 2;
  return {left, top, left + size.width, top + size.height};
}

void Frame::Layout() {
  if (!skin_) return;
  const Skin& s = *skin_;
  const sys::Rect client = sys::ClientRect(window_);
  const int header = s.Px(kHeaderHeight), navigation = s.Px(kNavigationWidth);
  int y = header + s.Px(kNavigationTop);
  for (const Navigation& item : navigation_) {
    sys::Move(item.button, {s.Px(kNavigationInset), y, navigation - s.Px(kNavigationInset),
                            y + s.Px(kNavigationHeight)});
    y += s.Px(kNavigationStep);
  }
  // Inside the pages' one-pixel frame.
  const sys::Rect pages{navigation + 1, header + 1, client.right - s.Px(kRightMargin) - 1,
                        client.bottom - s.Px(kFooterHeight) - 1};
  for (auto& [page, view] : pages_) sys::Move(view->Panel(), pages);
  sys::Repaint(window_);
}

void Frame::Resized(int, int) {
  Layout();
}

bool Frame::EraseBackground(sys::Canvas&, const sys::Rect&) {
  return true;  // the painting covers it all
}

void Frame::Paint(sys::Canvas& canvas, const sys::Rect&) {
  const sys::Rect client = sys::ClientRect(window_);
  if (!skin_) {
    canvas.Fill(client, 0xFFFFFF);
    return;
  }
  const Skin& s = *skin_;
  canvas.Fill(client, s.Colour(BrandColour::LightGray));
  if (void* back = s.Bitmap(BrandImage::Back)) canvas.Stretch(back, client);
  const sys::Rect header = HeaderRect(), footer = FooterRect();
  canvas.Fill(header, s.Colour(BrandColour::Header));
  const int navigation = s.Px(kNavigationWidth);
  canvas.Fill({0, header.bottom, navigation, footer.top}, s.Colour(BrandColour::SolidBlue));
  canvas.Outline({navigation, header.bottom, client.right - s.Px(kRightMargin), footer.top},
                 s.Colour(BrandColour::FrameGray));

  // The header: the application's name, the page's header, the brand's logo on the right.
  const std::string& name = controller_->Branding().APPNAME;
  const int nameLeft = s.Px(kNameLeft);
  const int nameWidth = sys::TextSize(s.TitleFont(), name).width;
  canvas.Text(name, {nameLeft, 0, nameLeft + nameWidth, header.bottom}, s.TitleFont(),
              s.Colour(BrandColour::White), sys::kTextLeft | sys::kTextMiddle);
  int logoLeft = header.right - s.Px(kRightMargin);
  if (void* logo = s.Bitmap(BrandImage::TopRightLogo)) {
    const sys::Size size = sys::BitmapSize(logo);
    logoLeft -= size.width;
    canvas.Place(logo, {logoLeft, (header.Height() - size.height) / 2});
  }
  const int headerLeft = nameLeft + nameWidth + s.Px(kHeaderGap);
  canvas.Text(header_, {headerLeft, 0, logoLeft - s.Px(kRightMargin), header.bottom},
              s.HeaderFont(), s.Colour(BrandColour::Orange2),
              sys::kTextLeft | sys::kTextMiddle | sys::kTextEllipsis);

  // The footer: the brand's logo at the bottom left (a click there opens URLLOGO), the status.
  if (void* poweredBy = s.Bitmap(BrandImage::PoweredBy)) {
    const sys::Rect logo = LogoRect();
    canvas.Place(poweredBy, {logo.left, logo.top});
  }
  canvas.Text(status_,
              {s.Px(kStatusLeft), footer.top, footer.right - s.Px(kRightMargin), footer.bottom},
              s.Font(), s.Colour(BrandColour::Black),
              sys::kTextLeft | sys::kTextMiddle | sys::kTextEllipsis);
}

void Frame::Command(int id, int code, void* control) {
  if (!controller_ || !context_) return;
  if (id == sys::kOkButton && !control) {  // Enter, from the dialog keys
    PressEnter();
    return;
  }
  if (code != sys::kClicked) return;
  for (const Navigation& item : navigation_) {
    if (item.button != control) continue;
    if (item.command)
      context_->Command(item.command);
    else
      context_->Home();
    UpdateNavigation();
    return;
  }
}

void Frame::PressEnter() {
  void* focused = sys::Focused();
  if (IsSkinned(focused) && sys::Enabled(focused)) {
    sys::Click(focused);
    return;
  }
  void* button = current_ ? current_->DefaultButton() : nullptr;
  if (button && sys::Visible(button) && sys::Enabled(button)) sys::Click(button);
}

bool Frame::DrawButton(const sys::ButtonDrawing& drawing) {
  if (!controller_) return false;
  for (const Navigation& item : navigation_) {
    if (item.button != drawing.button) continue;
    const app::Page current = controller_->CurrentPage();
    const bool checked =
        std::find(item.pages.begin(), item.pages.end(), current) != item.pages.end();
    skin_->DrawButton(drawing, ButtonLook::Navigation, checked, hot_ == drawing.button,
                      sys::Text(drawing.button));
    return true;
  }
  return false;
}

bool Frame::WantsHandCursor(void* window, sys::Point client) {
  if (!controller_) return false;
  if (window == window_)
    return !controller_->Branding().URLLOGO.empty() && LogoRect().Contains(client);
  for (const Navigation& item : navigation_)
    if (item.button == window) return sys::Enabled(window);
  return false;
}

bool Frame::Closing() {
  // The controller decides: during a scan it stays open.
  if (context_) context_->Send(platform::WM_CLOSE, 0, 0);
  return true;
}

void Frame::LeftButtonDown(sys::Point client) {
  if (!context_) return;
  context_->Send(app::WM_LBUTTONDOWN, 0,
                 static_cast<platform::LPARAM>((client.x & 0xFFFF) | (client.y & 0xFFFF) << 16));
}

sys::Size Frame::MinimumSize() {
  const int height = sys::MessageFontHeight();
  const auto px = [height](int length) { return (length * height + 6) / 13; };
  const sys::Size wanted = sys::WindowSizeFor(window_, {px(kMinimumWidth), px(kMinimumHeight)});
  // A small screen gets the window at its whole size, if smaller than the pages would like.
  const sys::Rect area = sys::WorkArea(window_);
  return {std::min(wanted.width, area.Width()), std::min(wanted.height, area.Height())};
}

bool Frame::Private(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                    std::intptr_t* result) {
  if (message == kWorkMessage) {
    RunQueued();
    return true;
  }
  if (message == kRunMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return true;
  }
  // The program's own messages, sent here by a program that found this window by its title,
  // are the controller's.
  if (message < sys::kFirstViewMessage && context_) {
    *result = context_->Send(message, wParam, lParam);
    return true;
  }
  return false;
}

}  // namespace ui::win32
