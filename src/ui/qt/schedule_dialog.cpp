#include "ui/qt/schedule_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace ui::qt {
namespace {

using platform::TASK_TRIGGER;

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
// The kinds the page edits, in the order of its list.
constexpr platform::TASK_TRIGGER_TYPE kKinds[] = {platform::TASK_TIME_TRIGGER_ONCE,
                                                  platform::TASK_TIME_TRIGGER_DAILY,
                                                  platform::TASK_TIME_TRIGGER_WEEKLY};

TASK_TRIGGER DefaultTrigger() {
  const platform::SYSTEMTIME today = platform::LocalTimeNow();
  TASK_TRIGGER trigger;
  trigger.wBeginYear = today.wYear;
  trigger.wBeginMonth = today.wMonth;
  trigger.wBeginDay = today.wDay;
  trigger.wStartHour = 9;
  trigger.TriggerType = platform::TASK_TIME_TRIGGER_DAILY;
  trigger.Type.Daily.DaysInterval = 1;
  return trigger;
}

QString LineOf(int index, const TASK_TRIGGER& trigger) {
  return QString("%1. %2").arg(index + 1).arg(QString::fromStdString(DescribeTrigger(trigger)));
}

}  // namespace

ScheduleDialog::ScheduleDialog(QWidget* parent, const QString& title,
                               const std::vector<TASK_TRIGGER>& triggers)
    : QDialog(parent), triggers_(triggers) {
  setWindowTitle(title);
  setObjectName("scheduleDialog");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  list_ = new QComboBox;
  list_->setObjectName("scheduleList");
  top->addWidget(list_, 1);
  auto* add = new QPushButton("New");
  add->setObjectName("newSchedule");
  delete_ = new QPushButton("Delete");
  delete_->setObjectName("deleteSchedule");
  top->addWidget(add);
  top->addWidget(delete_);
  layout->addLayout(top);

  fields_ = new QWidget;
  auto* form = new QFormLayout(fields_);
  kind_ = new QComboBox;
  kind_->setObjectName("scheduleKind");
  kind_->addItems({"Once", "Daily", "Weekly"});
  form->addRow("Schedule task:", kind_);
  time_ = new QTimeEdit;
  time_->setObjectName("startTime");
  time_->setDisplayFormat("HH:mm");
  form->addRow("Start time:", time_);
  date_ = new QDateEdit;
  date_->setObjectName("startDate");
  date_->setDisplayFormat("yyyy-MM-dd");
  date_->setCalendarPopup(true);
  form->addRow("Start date:", date_);
  interval_ = new QSpinBox;
  interval_->setObjectName("interval");
  interval_->setRange(1, 365);
  intervalLabel_ = new QLabel;
  form->addRow(intervalLabel_, interval_);
  auto* dayRow = new QHBoxLayout;
  for (int day = 0; day < 7; ++day) {
    // Monday first, as the week is shown; the masks stay Sunday first.
    const int shown = (day + 1) % 7;
    days_[shown] = new QCheckBox(kDayNames[shown]);
    days_[shown]->setObjectName(QString("day%1").arg(shown));
    dayRow->addWidget(days_[shown]);
  }
  form->addRow("On:", dayRow);
  layout->addWidget(fields_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] { AddTrigger(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteTrigger(); });
  connect(list_, &QComboBox::currentIndexChanged, this, [this](int index) { ShowTrigger(index); });
  connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
    ShowKindFields();
    TakeFields();
  });
  connect(time_, &QTimeEdit::timeChanged, this, [this] { TakeFields(); });
  connect(date_, &QDateEdit::dateChanged, this, [this] { TakeFields(); });
  connect(interval_, &QSpinBox::valueChanged, this, [this] { TakeFields(); });
  for (QCheckBox* day : days_) connect(day, &QCheckBox::toggled, this, [this] { TakeFields(); });

  // A task without times starts with one to edit, as the scheduler's page offers it.
  if (triggers_.empty()) triggers_.push_back(DefaultTrigger());
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    list_->addItem(LineOf(static_cast<int>(i), triggers_[i]));
  list_->setCurrentIndex(0);
  ShowTrigger(0);
  resize(480, 260);
}

void ScheduleDialog::AddTrigger() {
  triggers_.push_back(DefaultTrigger());
  const int index = static_cast<int>(triggers_.size()) - 1;
  list_->addItem(LineOf(index, triggers_.back()));
  list_->setCurrentIndex(index);
}

void ScheduleDialog::DeleteTrigger() {
  if (current_ < 0 || current_ >= static_cast<int>(triggers_.size())) return;
  triggers_.erase(triggers_.begin() + current_);
  filling_ = true;
  list_->clear();
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    list_->addItem(LineOf(static_cast<int>(i), triggers_[i]));
  filling_ = false;
  current_ = -1;
  ShowTrigger(triggers_.empty() ? -1 : 0);
}

void ScheduleDialog::ShowTrigger(int index) {
  if (filling_) return;
  current_ = index;
  const bool any = index >= 0 && index < static_cast<int>(triggers_.size());
  fields_->setEnabled(any);
  delete_->setEnabled(any);
  if (!any) return;
  const TASK_TRIGGER& trigger = triggers_[index];
  filling_ = true;
  int kind = 1;
  for (int k = 0; k < 3; ++k)
    if (kKinds[k] == trigger.TriggerType) kind = k;
  kind_->setCurrentIndex(kind);
  time_->setTime(QTime(trigger.wStartHour, trigger.wStartMinute));
  date_->setDate(QDate(trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay));
  const bool weekly = trigger.TriggerType == platform::TASK_TIME_TRIGGER_WEEKLY;
  interval_->setValue(std::max<int>(
      1, weekly ? trigger.Type.Weekly.WeeksInterval : trigger.Type.Daily.DaysInterval));
  for (int day = 0; day < 7; ++day)
    days_[day]->setChecked(weekly && (trigger.Type.Weekly.rgfDaysOfTheWeek & (1u << day)));
  filling_ = false;
  ShowKindFields();
}

void ScheduleDialog::ShowKindFields() {
  const int kind = kind_->currentIndex();
  interval_->setVisible(kind != 0);
  intervalLabel_->setVisible(kind != 0);
  intervalLabel_->setText(kind == 2 ? "Every (weeks):" : "Every (days):");
  for (QCheckBox* day : days_) day->setEnabled(kind == 2);
}

void ScheduleDialog::TakeFields() {
  if (filling_ || current_ < 0 || current_ >= static_cast<int>(triggers_.size())) return;
  TASK_TRIGGER& trigger = triggers_[current_];
  const platform::TASK_TRIGGER_TYPE kind = kKinds[std::clamp(kind_->currentIndex(), 0, 2)];
  const platform::TASK_TRIGGER_TYPE before = trigger.TriggerType;
  trigger.TriggerType = kind;
  trigger.wStartHour = static_cast<platform::WORD>(time_->time().hour());
  trigger.wStartMinute = static_cast<platform::WORD>(time_->time().minute());
  const QDate date = date_->date();
  trigger.wBeginYear = static_cast<platform::WORD>(date.year());
  trigger.wBeginMonth = static_cast<platform::WORD>(date.month());
  trigger.wBeginDay = static_cast<platform::WORD>(date.day());
  trigger.Type = {};
  const auto every = static_cast<platform::WORD>(interval_->value());
  if (kind == platform::TASK_TIME_TRIGGER_DAILY) trigger.Type.Daily.DaysInterval = every;
  if (kind == platform::TASK_TIME_TRIGGER_WEEKLY) {
    platform::WORD mask = 0;
    for (int day = 0; day < 7; ++day)
      if (days_[day]->isChecked()) mask = static_cast<platform::WORD>(mask | (1u << day));
    // A week without a day runs on the start date's weekday.
    if (!mask) {
      mask = static_cast<platform::WORD>(1u << (date.dayOfWeek() % 7));
      if (before != kind) {
        filling_ = true;
        days_[date.dayOfWeek() % 7]->setChecked(true);
        filling_ = false;
      }
    }
    trigger.Type.Weekly = {every, mask};
  }
  list_->setItemText(current_, LineOf(current_, trigger));
}

}  // namespace ui::qt
