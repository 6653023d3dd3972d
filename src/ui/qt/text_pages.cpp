// The pages that show text: the browser pages notice, start, about, object details, results.
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/qt/pages.h"

namespace ui::qt {
namespace {

using app::BrowserPagesNotice;
namespace command = app::command;

constexpr unsigned kApplyText = 198, kScanNowText = 216, kBackText = 214, kHomeText = 143,
                   kIgnoreListText = 147, kQuarantineText = 146;
constexpr unsigned kSavedPageText = 241, kBrowserPageText = 242, kNoPageText = 243;
constexpr unsigned kStartPage = 143, kAboutPage = 148;
constexpr unsigned kScanNowHint = 230, kHomeHint = 238;

class NoticePage : public PageWidget {
 public:
  explicit NoticePage(PageContext& context) : PageWidget(context) {
    setObjectName("noticePage");
    auto* layout = new QVBoxLayout(this);
    explanation_ = new QLabel;
    explanation_->setObjectName("explanation");
    explanation_->setWordWrap(true);
    layout->addWidget(explanation_);
    for (int pair = 0; pair < 2; ++pair) {
      groups_[pair] = new QGroupBox;
      auto* boxes = new QVBoxLayout(groups_[pair]);
      for (int i = 0; i < 2; ++i) {
        const int box = pair * 2 + i;
        boxes_[box] = new QCheckBox;
        boxes_[box]->setObjectName(QString("noticeBox%1").arg(box));
        connect(boxes_[box], &QCheckBox::clicked, this,
                [this, box] { context_.Command(command::kNoticeFirstBox + box); });
        boxes->addWidget(boxes_[box]);
      }
      layout->addWidget(groups_[pair]);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommandButton(context, kApplyText, command::kNoticeApply, "apply"));
    layout->addLayout(buttons);
    layout->addStretch();
  }

  void Update(const app::PageShown&) override {
    BrowserPagesNotice* notice = context_.Window().Notice();
    if (!notice) return;
    const app::Resources& texts = context_.Window().Texts();
    explanation_->setText(context_.ToQt(notice->Explanation()));
    groups_[0]->setTitle(context_.ToQt(notice->StartHeading()));
    groups_[1]->setTitle(context_.ToQt(notice->SearchHeading()));
    for (int box = 0; box < BrowserPagesNotice::BoxCount; ++box) {
      const auto which = static_cast<BrowserPagesNotice::Box>(box);
      const std::string& page = notice->Caption(which);
      const std::string shown = page.empty() ? texts.String(kNoPageText) : page;
      boxes_[box]->setText(
          context_.ToQt(texts.Format(box % 2 ? kBrowserPageText : kSavedPageText, {shown})));
      boxes_[box]->setChecked(notice->Ticked(which));
    }
  }

 private:
  QLabel* explanation_;
  QGroupBox* groups_[2];
  QCheckBox* boxes_[BrowserPagesNotice::BoxCount];
};

// A page of the resource library with the model's lines, and the page's buttons below.
class HtmlPage : public PageWidget {
 public:
  HtmlPage(PageContext& context, const char* name, unsigned pageId,
           std::function<std::vector<std::string>()> lines)
      : PageWidget(context), pageId_(pageId), lines_(std::move(lines)) {
    setObjectName(name);
    layout_ = new QVBoxLayout(this);
    browser_ = TextBrowser("text");
    layout_->addWidget(browser_, 1);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch();
    layout_->addLayout(buttons_);
  }
  QPushButton* AddButton(unsigned textId, std::uintptr_t command, const char* name) {
    QPushButton* button = CommandButton(context_, textId, command, name);
    buttons_->addWidget(button);
    return button;
  }
  void Update(const app::PageShown&) override {
    browser_->setHtml(PageHtml(context_, pageId_, lines_()));
  }

 protected:
  QVBoxLayout* layout_;
  QHBoxLayout* buttons_;
  QTextBrowser* browser_;

 private:
  unsigned pageId_;
  std::function<std::vector<std::string>()> lines_;
};

// The results page: the statistics in "Arial" under their heading, and where to go next.
class ResultsPage : public PageWidget {
 public:
  explicit ResultsPage(PageContext& context) : PageWidget(context) {
    setObjectName("resultsPage");
    auto* layout = new QVBoxLayout(this);
    heading_ = new QLabel;
    heading_->setObjectName("heading");
    QFont font("Arial");
    font.setPointSize(13);
    font.setBold(true);
    heading_->setFont(font);
    layout->addWidget(heading_);
    statistics_ = new QLabel;
    statistics_->setObjectName("statistics");
    statistics_->setFont(QFont("Arial", 11));
    statistics_->setTextFormat(Qt::PlainText);
    layout->addWidget(statistics_);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(
        CommandButton(context, kIgnoreListText, command::kResultsIgnore, "ignoreList"));
    buttons->addWidget(
        CommandButton(context, kQuarantineText, command::kResultsQuarantine, "quarantine"));
    buttons->addWidget(CommandButton(context, kHomeText, command::kScanNow, "home"));
    layout->addLayout(buttons);
  }
  void Update(const app::PageShown&) override {
    const std::vector<std::string>& lines = context_.Window().Results().lines;
    heading_->setText(lines.empty() ? QString() : context_.ToQt(lines.front()));
    QStringList rest;
    for (std::size_t i = 1; i < lines.size(); ++i) rest << context_.ToQt(lines[i]);
    statistics_->setText(rest.join('\n'));
  }

 private:
  QLabel* heading_;
  QLabel* statistics_;
};

class HiddenPage : public PageWidget {
 public:
  explicit HiddenPage(PageContext& context) : PageWidget(context) { setObjectName("hiddenPage"); }
  void Update(const app::PageShown&) override {}
};

}  // namespace

PageWidget* MakeNoticePage(PageContext& context) {
  return new NoticePage(context);
}

PageWidget* MakeStartPage(PageContext& context) {
  auto* page = new HtmlPage(context, "startPage", kStartPage,
                            [&context] { return context.Window().Start().Lines(); });
  context.Hint(page->AddButton(kScanNowText, command::kScanNow, "scanNow"), kScanNowHint);
  return page;
}

PageWidget* MakeAboutPage(PageContext& context) {
  auto* page = new HtmlPage(context, "aboutPage", kAboutPage,
                            [&context] { return context.Window().About().Lines(); });
  context.Hint(page->AddButton(kHomeText, 0, "home"), kHomeHint);
  return page;
}

PageWidget* MakeDetailsPage(PageContext& context) {
  auto* page = new HtmlPage(context, "detailsPage", 0,
                            [&context] { return context.Window().Details().Lines(); });
  page->AddButton(kBackText, command::kScanning, "back");
  return page;
}

PageWidget* MakeResultsPage(PageContext& context) {
  return new ResultsPage(context);
}

PageWidget* MakeHiddenPage(PageContext& context) {
  return new HiddenPage(context);
}

QPushButton* CommandButton(PageContext& context, unsigned textId, std::uintptr_t command,
                           const char* name) {
  auto* button = new QPushButton(context.Text(textId));
  button->setObjectName(name);
  button->setCursor(Qt::PointingHandCursor);
  // Command 0 stands for the home command of a page: message 1228.
  QObject::connect(button, &QPushButton::clicked, button, [&context, command] {
    if (command)
      context.Command(command);
    else
      context.Send(app::ShowStartMessage, 1, 1);
  });
  return button;
}

QString PageHtml(PageContext& context, unsigned pageId, const std::vector<std::string>& lines) {
  QString paragraphs;
  for (const std::string& line : lines)
    paragraphs += "<p>" + context.ToQt(line).toHtmlEscaped() + "</p>\n";
  QString html = pageId ? context.ToQt(context.Window().Texts().Page(pageId)) : QString();
  if (html.isEmpty()) return "<html><body>" + paragraphs + "</body></html>";
  const qsizetype end = html.lastIndexOf("</body>", -1, Qt::CaseInsensitive);
  return end < 0 ? html + paragraphs : html.insert(end, paragraphs);
}

QTextBrowser* TextBrowser(const char* name) {
  auto* browser = new QTextBrowser;
  browser->setObjectName(name);
  browser->setOpenLinks(false);
  return browser;
}

}  // namespace ui::qt
