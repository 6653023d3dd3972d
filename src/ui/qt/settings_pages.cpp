// The pages of settings: the options and the scan settings. Every box sends its command
// when clicked; the model writes the setting and the page shows the model again.
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>

#include "app/settings_page_parts.h"
#include "ui/qt/pages.h"
#include "ui/qt/qt_text.h"

namespace ui::qt {
namespace {

namespace command = app::command;

using namespace app::settings_page;

// A group of check boxes in two columns, captioned by consecutive texts from firstText; box i
// is named namePrefix + i and sends the command commandOf(i) when clicked.
template <std::size_t Count>
QGroupBox* CheckBoxGrid(PageContext& context, unsigned heading, unsigned firstText,
                        const char* namePrefix,
                        const std::function<std::uintptr_t(std::size_t)>& commandOf,
                        QCheckBox* (&boxes)[Count]) {
  auto* group = new QGroupBox(context.Text(heading));
  auto* grid = new QGridLayout(group);
  for (std::size_t box = 0; box < Count; ++box) {
    boxes[box] = new QCheckBox(context.Text(firstText + box));
    boxes[box]->setObjectName(QString("%1%2").arg(namePrefix).arg(box));
    QObject::connect(boxes[box], &QCheckBox::clicked, group,
                     [&context, command = commandOf(box)] { context.Command(command); });
    grid->addWidget(boxes[box], static_cast<int>(box) / 2, static_cast<int>(box) % 2);
  }
  return group;
}

class OptionsPage : public PageWidget {
 public:
  explicit OptionsPage(PageContext& context) : PageWidget(context) {
    setObjectName("optionsPage");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxGrid(
        context, kOptionsHeading, kFirstOptionText, "option",
        [](std::size_t box) { return kOptionCommands[box]; }, boxes_));
    auto* modes = new QGroupBox;
    auto* modeLayout = new QVBoxLayout(modes);
    for (int mode = 0; mode < 3; ++mode) {
      modes_[mode] = new QRadioButton(context.Text(kFirstScanModeText + mode));
      modes_[mode]->setObjectName(QString("scanMode%1").arg(mode + 1));
      modes_[mode]->setAutoExclusive(false);  // the model decides which one is on
      connect(modes_[mode], &QRadioButton::clicked, this,
              [this, mode] { context_.Command(kScanModeCommands[mode]); });
      modeLayout->addWidget(modes_[mode]);
    }
    layout->addWidget(modes);
    auto* pages = new QFormLayout;
    homepage_ = new QLineEdit;
    homepage_->setObjectName("homepage");
    searchpage_ = new QLineEdit;
    searchpage_->setObjectName("searchpage");
    pages->addRow(context.Text(kStartPageText), homepage_);
    pages->addRow(context.Text(kSearchPageText), searchpage_);
    layout->addLayout(pages);
    // The edits are the model's texts: apply writes what they hold.
    connect(homepage_, &QLineEdit::textEdited, this, [this](const QString& text) {
      if (auto* options = context_.Window().Options())
        options->homepage = FromQt(context_.Code(), text);
    });
    connect(searchpage_, &QLineEdit::textEdited, this, [this](const QString& text) {
      if (auto* options = context_.Window().Options())
        options->searchpage = FromQt(context_.Code(), text);
    });
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CommandButton(context, kUpdateText, command::kOptionsUpdate, "update"));
    auto* openLogs = CommandButton(context, kOpenLogsText, command::kOpenLogs, "openLogs");
    context.Hint(openLogs, kOpenLogsHint);
    buttons->addWidget(openLogs);
    auto* mailLogs = CommandButton(context, kMailLogsText, command::kMailLogs, "mailLogs");
    context.Hint(mailLogs, kMailLogsHint);
    buttons->addWidget(mailLogs);
    buttons->addStretch();
    buttons->addWidget(CommandButton(context, kApplyText, command::kOptionsApply, "apply"));
    layout->addLayout(buttons);
  }

  void Update(const app::PageShown&) override {
    const app::OptionsPage* options = context_.Window().Options();
    if (!options) return;
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      boxes_[box]->setChecked(options->Checked(box));
    for (int mode = 0; mode < 3; ++mode) {
      modes_[mode]->setChecked(options->ScanMode() == mode + 1);
      modes_[mode]->setEnabled(options->ChoicesEnabled());
    }
    homepage_->setText(context_.ToQt(options->homepage));
    searchpage_->setText(context_.ToQt(options->searchpage));
  }

 private:
  QCheckBox* boxes_[std::size(kOptionCommands)];
  QRadioButton* modes_[3];
  QLineEdit* homepage_;
  QLineEdit* searchpage_;
};

class ScanSettingsPage : public PageWidget {
 public:
  explicit ScanSettingsPage(PageContext& context) : PageWidget(context) {
    setObjectName("scanSettingsPage");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxGrid(
        context, kScanHeading, kFirstScanSettingText, "scanSetting",
        [](std::size_t box) { return command::kScanSettingsFirstBox + box; }, boxes_));
    auto* folders = new QHBoxLayout;
    folders->addWidget(new QLabel(context.Text(kFoldersHeading)));
    folders_ = new QLabel;
    folders_->setObjectName("folders");
    folders_->setWordWrap(true);
    folders_->setTextFormat(Qt::PlainText);
    folders->addWidget(folders_, 1);
    folders->addWidget(
        CommandButton(context, kFoldersText, command::kScanFolders, "chooseFolders"));
    layout->addLayout(folders);
    auto* schedule = new QHBoxLayout;
    auto* scheduleButton = CommandButton(context, kScheduleText, command::kSchedule, "schedule");
    context.Hint(scheduleButton, kScheduleHint);
    schedule->addWidget(scheduleButton);
    schedule->addStretch();
    layout->addLayout(schedule);
    layout->addStretch();
  }

  void Update(const app::PageShown&) override {
    const app::ScanSettingsPage* settings = context_.Window().ScanSettings();
    if (!settings) return;
    for (std::size_t box = 0; box < std::size(boxes_); ++box)
      boxes_[box]->setChecked(settings->Checked(box));
    QStringList folders;
    for (const std::string& folder : settings->Folders()) folders << context_.ToQt(folder);
    folders_->setText(folders.join("; "));
  }

 private:
  QCheckBox* boxes_[8];
  QLabel* folders_;
};

}  // namespace

PageWidget* MakeOptionsPage(PageContext& context) {
  return new OptionsPage(context);
}

PageWidget* MakeScanSettingsPage(PageContext& context) {
  return new ScanSettingsPage(context);
}

}  // namespace ui::qt
