#include "ui/qt/window_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/hint_table.h"
#include "ui/qt/brand_style.h"

namespace ui::qt {
namespace {

using app::Page;
namespace command = app::command;

constexpr int kMinimumWidth = 780, kMinimumHeight = 560;

struct NavigationItem {
  unsigned text, hint;
  std::uintptr_t command;  // 0: message 1228 (home)
  const char* name;
  std::vector<Page> pages;
};

const NavigationItem kNavigation[] = {
    {143, 238, 0, "navHome", {Page::Start, Page::Notice}},
    {216, 230, command::kScanNow, "navScanNow", {}},
    {176, 231, command::kScanning, "navScanning", {Page::Scan, Page::ObjectDetails}},
    {149, 232, command::kScanSettings, "navScanSettings", {Page::ScanSettings}},
    {146, 233, command::kQuarantine, "navQuarantine", {Page::Quarantine}},
    {147, 234, command::kIgnore, "navIgnore", {Page::Ignore}},
    {145, 235, command::kOptions, "navOptions", {Page::Options}},
    {148, 236, command::kAbout, "navAbout", {Page::About}},
    {215, 237, command::kOpenAddress, "navHelp", {}},
};

}  // namespace

WindowFrame::WindowFrame(app::MainWindow& window, std::function<void(platform::HWND)> hovered)
    : context_(window), hovered_(std::move(hovered)) {
  setObjectName("frame");
  setAttribute(Qt::WA_StyledBackground);
  setWindowTitle(context_.ToQt(window.Branding().APPNAME));
  setStyleSheet(BrandStyleSheet(window.Branding(), window.Machine().files()));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(MakeHeader());
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 8, 0);
  body->addWidget(MakeNavigation());
  stack_ = new QStackedWidget;
  stack_->setObjectName("pages");
  stack_->setAttribute(Qt::WA_StyledBackground);
  scanPage_ = MakeScanPage(context_);
  const std::pair<Page, PageWidget*> pages[] = {
      {Page::Notice, MakeNoticePage(context_)},
      {Page::Start, MakeStartPage(context_)},
      {Page::About, MakeAboutPage(context_)},
      {Page::Ignore, MakeIgnorePage(context_)},
      {Page::ObjectDetails, MakeDetailsPage(context_)},
      {Page::Quarantine, MakeQuarantinePage(context_)},
      {Page::Scan, scanPage_},
      {Page::Options, MakeOptionsPage(context_)},
      {Page::ScanSettings, MakeScanSettingsPage(context_)},
      {Page::Results, MakeResultsPage(context_)},
      {Page::Hidden, MakeHiddenPage(context_)},
  };
  for (const auto& [page, widget] : pages) {
    pages_[page] = widget;
    stack_->addWidget(widget);
  }
  stack_->setCurrentWidget(pages_[Page::Hidden]);
  body->addWidget(stack_, 1);
  layout->addLayout(body, 1);
  layout->addWidget(MakeFooter());
  qApp->installEventFilter(this);
}

WindowFrame::~WindowFrame() {
  qApp->removeEventFilter(this);
  app::HintTable& hints = app::HintTable::Instance();
  for (QWidget* widget : findChildren<QWidget*>()) hints.Remove(PageContext::HandleOf(widget));
}

QWidget* WindowFrame::MakeHeader() {
  const app::BrandingSettings& branding = context_.Window().Branding();
  platform::Files& files = context_.Window().Machine().files();
  auto* header = new QWidget;
  header->setObjectName("header");
  header->setAttribute(Qt::WA_StyledBackground);
  header->setFixedHeight(64);
  auto* layout = new QHBoxLayout(header);
  layout->setContentsMargins(14, 4, 8, 4);
  auto* name = new QLabel(context_.ToQt(branding.APPNAME));
  name->setObjectName("appName");
  QFont font = name->font();
  font.setPointSize(20);
  font.setBold(true);
  name->setFont(font);
  layout->addWidget(name);
  layout->addSpacing(40);
  pageHeader_ = new QLabel;
  pageHeader_->setObjectName("pageHeader");
  layout->addWidget(pageHeader_, 1);
  const QPixmap logo = BrandPixmap(branding, files, app::BrandImage::TopRightLogo);
  if (!logo.isNull()) {
    auto* picture = new QLabel;
    picture->setObjectName("topRightLogo");
    picture->setPixmap(logo);
    layout->addWidget(picture);
  }
  return header;
}

QWidget* WindowFrame::MakeNavigation() {
  auto* navigation = new QWidget;
  navigation->setObjectName("navigation");
  navigation->setAttribute(Qt::WA_StyledBackground);
  navigation->setFixedWidth(150);
  auto* layout = new QVBoxLayout(navigation);
  layout->setContentsMargins(6, 10, 6, 10);
  layout->setSpacing(6);
  for (const NavigationItem& item : kNavigation) {
    auto* button = new QPushButton(context_.Text(item.text));
    button->setObjectName(item.name);
    button->setCheckable(!item.pages.empty());
    button->setCursor(Qt::PointingHandCursor);
    context_.Hint(button, item.hint);
    connect(button, &QPushButton::clicked, this, [this, item] {
      if (item.command)
        context_.Command(item.command);
      else
        context_.Send(app::ShowStartMessage, 1, 1);
      UpdateNavigation();
    });
    layout->addWidget(button);
    navigation_.push_back({button, item.pages});
  }
  layout->addStretch();
  return navigation;
}

QWidget* WindowFrame::MakeFooter() {
  const app::BrandingSettings& branding = context_.Window().Branding();
  auto* footer = new QWidget;
  footer->setObjectName("footer");
  auto* layout = new QHBoxLayout(footer);
  layout->setContentsMargins(4, 2, 8, 2);
  // The brand's logo at the bottom left: a click there opens URLLOGO (the window's own rule).
  const QPixmap logo =
      BrandPixmap(branding, context_.Window().Machine().files(), app::BrandImage::PoweredBy);
  auto* picture = new QLabel;
  picture->setObjectName("poweredBy");
  picture->setFixedSize(100, 22);
  if (!logo.isNull()) picture->setPixmap(logo);
  if (!branding.URLLOGO.empty()) picture->setCursor(Qt::PointingHandCursor);
  layout->addWidget(picture);
  status_ = new QLabel;
  status_->setObjectName("status");
  status_->setTextFormat(Qt::PlainText);
  status_->setMinimumWidth(1);
  layout->addWidget(status_, 1);
  return footer;
}

void WindowFrame::ShowPage(const app::PageShown& shown) {
  PageWidget* page = pages_.at(shown.page);
  page->Update(shown);
  stack_->setCurrentWidget(page);
  pageHeader_->setText(context_.ToQt(shown.header));
  UpdateNavigation();
}

void WindowFrame::UpdateNavigation() {
  const Page current = context_.Window().CurrentPage();
  const bool scanning = context_.Window().ScanRunning();
  for (const NavigationButton& item : navigation_) {
    item.button->setChecked(std::find(item.pages.begin(), item.pages.end(), current) !=
                            item.pages.end());
    item.button->setEnabled(!scanning);
  }
}

void WindowFrame::ShowStatus(const QString& text) {
  status_->setText(text);
}

void WindowFrame::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The window decides: during a scan it stays open.
  event->ignore();
  context_.Send(platform::WM_CLOSE, 0, 0);
}

void WindowFrame::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  context_.Send(app::WM_LBUTTONDOWN, 0,
                static_cast<platform::LPARAM>((at.x() & 0xFFFF) | (at.y() & 0xFFFF) << 16));
}

void WindowFrame::Hovered(QWidget* widget) {
  if (!widget || widget->window() != this) return;
  const app::Resources& texts = context_.Window().Texts();
  // The nearest control with a hint, else the window itself (the default status line).
  for (QWidget* at = widget; at && at != this; at = at->parentWidget()) {
    if (!app::HintTable::Instance().Lookup(PageContext::HandleOf(at), texts).empty()) {
      hovered_(PageContext::HandleOf(at));
      return;
    }
  }
  hovered_(PageContext::HandleOf(this));
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  // Leaving a control puts the mouse over its parent, unless a sibling's Enter follows.
  if (event->type() == QEvent::Enter)
    Hovered(widget);
  else if (event->type() == QEvent::Leave)
    Hovered(widget->parentWidget());
  return false;
}

}  // namespace ui::qt
