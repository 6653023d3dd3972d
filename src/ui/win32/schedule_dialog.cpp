#include "ui/win32/schedule_dialog.h"

#include <algorithm>

#include "ui/win32/control_calls.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

namespace sys = ::win32::view;
using platform::TASK_TRIGGER;

// The kinds the page edits, in the order of its list.
constexpr const char* kKindNames[] = {"Once", "Daily", "Weekly"};
constexpr platform::TASK_TRIGGER_TYPE kKinds[] = {platform::TASK_TIME_TRIGGER_ONCE,
                                                  platform::TASK_TIME_TRIGGER_DAILY,
                                                  platform::TASK_TIME_TRIGGER_WEEKLY};
constexpr const char* kDaysLabel = "E&very (days):";
constexpr const char* kWeeksLabel = "E&very (weeks):";
constexpr int kLongestInterval = 365;

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

std::string LineOf(int index, const TASK_TRIGGER& trigger) {
  return std::to_string(index + 1) + ". " + platform::DescribeTrigger(trigger);
}

// The day of the week of a date, Sunday 0 (Sakamoto's rule).
int DayOfWeek(int year, int month, int day) {
  static const int kMonthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  return (year + year / 4 - year / 100 + year / 400 + kMonthOffsets[(month + 11) % 12] + day) % 7;
}

}  // namespace

ScheduleDialog::ScheduleDialog(std::string title, std::vector<TASK_TRIGGER> triggers)
    : title_(std::move(title)), triggers_(std::move(triggers)) {}

std::optional<std::vector<TASK_TRIGGER>> ScheduleDialog::Run(void* owner) {
  if (sys::RunDialog(IDD_SCHEDULE, owner, this) != sys::kOkButton) return std::nullopt;
  return triggers_;
}

void* ScheduleDialog::Item(int id) const {
  return sys::DialogItem(dialog_, id);
}

void ScheduleDialog::Opened(void* dialog) {
  dialog_ = dialog;
  sys::SetText(dialog_, title_);
  for (const char* kind : kKindNames) sys::ListBoxAdd(Item(IDC_SCHEDULE_KIND), kind);
  sys::SetPickerFormat(Item(IDC_SCHEDULE_TIME), "HH':'mm");
  sys::SetPickerFormat(Item(IDC_SCHEDULE_DATE), "yyyy'-'MM'-'dd");
  sys::SetSpinRange(Item(IDC_SCHEDULE_EVERY_SPIN), 1, kLongestInterval);
  // A task without times starts with one to edit, as the scheduler's page offers it.
  if (triggers_.empty()) triggers_.push_back(DefaultTrigger());
  FillList();
  ShowTrigger(0);
}

void ScheduleDialog::Command(int id, int code) {
  if (id == sys::kOkButton) {
    TakeFields();
    sys::EndDialog(dialog_, sys::kOkButton);
  } else if (id == sys::kCancelButton) {
    sys::EndDialog(dialog_, sys::kCancelButton);
  } else if (id == IDC_SCHEDULE_NEW && code == sys::kClicked) {
    AddTrigger();
  } else if (id == IDC_SCHEDULE_DELETE && code == sys::kClicked) {
    DeleteTrigger();
  } else if (id == IDC_SCHEDULE_LIST && code == sys::kSelectionChanged) {
    ShowTrigger(sys::ListBoxSelection(Item(IDC_SCHEDULE_LIST)));
  } else if (id == IDC_SCHEDULE_KIND && code == sys::kSelectionChanged) {
    ShowKindFields();
    TakeFields();
  } else if ((id == IDC_SCHEDULE_EVERY && code == sys::kEditChanged) ||
             (id >= IDC_SCHEDULE_DAY && id < IDC_SCHEDULE_DAY + 7 && code == sys::kClicked)) {
    TakeFields();
  }
}

void ScheduleDialog::PickerChanged(int) {
  TakeFields();
}

void ScheduleDialog::FillList() {
  void* list = Item(IDC_SCHEDULE_LIST);
  filling_ = true;
  sys::ListBoxClear(list);
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    sys::ListBoxAdd(list, LineOf(static_cast<int>(i), triggers_[i]));
  filling_ = false;
}

void ScheduleDialog::AddTrigger() {
  TakeFields();
  triggers_.push_back(DefaultTrigger());
  const int index = static_cast<int>(triggers_.size()) - 1;
  sys::ListBoxAdd(Item(IDC_SCHEDULE_LIST), LineOf(index, triggers_.back()));
  ShowTrigger(index);
}

void ScheduleDialog::DeleteTrigger() {
  if (current_ < 0 || current_ >= static_cast<int>(triggers_.size())) return;
  triggers_.erase(triggers_.begin() + current_);
  current_ = -1;
  FillList();
  ShowTrigger(triggers_.empty() ? -1 : 0);
}

void ScheduleDialog::ShowTrigger(int index) {
  current_ = index;
  const bool any = index >= 0 && index < static_cast<int>(triggers_.size());
  sys::ListBoxSelect(Item(IDC_SCHEDULE_LIST), any ? index : -1);
  for (int id : {IDC_SCHEDULE_KIND, IDC_SCHEDULE_TIME, IDC_SCHEDULE_DATE, IDC_SCHEDULE_EVERY,
                 IDC_SCHEDULE_EVERY_SPIN, IDC_SCHEDULE_DELETE})
    sys::Enable(Item(id), any);
  if (!any) {
    for (int day = 0; day < 7; ++day) sys::Enable(Item(IDC_SCHEDULE_DAY + day), false);
    return;
  }
  TASK_TRIGGER& trigger = triggers_[index];
  if (!trigger.wBeginYear) {  // no start date: today's, as the pickers need a date
    const platform::SYSTEMTIME today = platform::LocalTimeNow();
    trigger.wBeginYear = today.wYear;
    trigger.wBeginMonth = today.wMonth;
    trigger.wBeginDay = today.wDay;
  }
  filling_ = true;
  int kind = 1;
  for (int k = 0; k < 3; ++k)
    if (kKinds[k] == trigger.TriggerType) kind = k;
  sys::ListBoxSelect(Item(IDC_SCHEDULE_KIND), kind);
  sys::SetPickerTime(Item(IDC_SCHEDULE_TIME),
                     {trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay,
                      trigger.wStartHour, trigger.wStartMinute});
  sys::SetPickerTime(Item(IDC_SCHEDULE_DATE),
                     {trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay, 0, 0});
  const bool weekly = trigger.TriggerType == platform::TASK_TIME_TRIGGER_WEEKLY;
  sys::SetSpinValue(Item(IDC_SCHEDULE_EVERY_SPIN),
                    std::max<int>(1, weekly ? trigger.Type.Weekly.WeeksInterval
                                            : trigger.Type.Daily.DaysInterval));
  for (int day = 0; day < 7; ++day)
    sys::SetChecked(Item(IDC_SCHEDULE_DAY + day),
                    weekly && (trigger.Type.Weekly.rgfDaysOfTheWeek & (1u << day)));
  filling_ = false;
  ShowKindFields();
}

void ScheduleDialog::ShowKindFields() {
  const int kind = sys::ListBoxSelection(Item(IDC_SCHEDULE_KIND));
  for (int id : {IDC_SCHEDULE_EVERY_LABEL, IDC_SCHEDULE_EVERY, IDC_SCHEDULE_EVERY_SPIN})
    sys::Show(Item(id), kind != 0);
  sys::SetText(Item(IDC_SCHEDULE_EVERY_LABEL), kind == 2 ? kWeeksLabel : kDaysLabel);
  for (int day = 0; day < 7; ++day) sys::Enable(Item(IDC_SCHEDULE_DAY + day), kind == 2);
}

void ScheduleDialog::TakeFields() {
  if (filling_ || current_ < 0 || current_ >= static_cast<int>(triggers_.size())) return;
  TASK_TRIGGER& trigger = triggers_[current_];
  const platform::TASK_TRIGGER_TYPE kind =
      kKinds[std::clamp(sys::ListBoxSelection(Item(IDC_SCHEDULE_KIND)), 0, 2)];
  const platform::TASK_TRIGGER_TYPE before = trigger.TriggerType;
  trigger.TriggerType = kind;
  const sys::DateTime time = sys::PickerTime(Item(IDC_SCHEDULE_TIME));
  trigger.wStartHour = static_cast<platform::WORD>(time.hour);
  trigger.wStartMinute = static_cast<platform::WORD>(time.minute);
  const sys::DateTime date = sys::PickerTime(Item(IDC_SCHEDULE_DATE));
  trigger.wBeginYear = static_cast<platform::WORD>(date.year);
  trigger.wBeginMonth = static_cast<platform::WORD>(date.month);
  trigger.wBeginDay = static_cast<platform::WORD>(date.day);
  trigger.Type = {};
  const auto every = static_cast<platform::WORD>(
      std::clamp(sys::SpinValue(Item(IDC_SCHEDULE_EVERY_SPIN)), 1, kLongestInterval));
  if (kind == platform::TASK_TIME_TRIGGER_DAILY) trigger.Type.Daily.DaysInterval = every;
  if (kind == platform::TASK_TIME_TRIGGER_WEEKLY) {
    platform::WORD mask = 0;
    for (int day = 0; day < 7; ++day)
      if (sys::Checked(Item(IDC_SCHEDULE_DAY + day)))
        mask = static_cast<platform::WORD>(mask | (1u << day));
    // A week without a day runs on the start date's weekday.
    if (!mask) {
      const int weekday = DayOfWeek(date.year, date.month, date.day);
      mask = static_cast<platform::WORD>(1u << weekday);
      if (before != kind) sys::SetChecked(Item(IDC_SCHEDULE_DAY + weekday), true);
    }
    trigger.Type.Weekly = {every, mask};
  }
  sys::ListBoxReplace(Item(IDC_SCHEDULE_LIST), current_, LineOf(current_, trigger));
}

}  // namespace ui::win32
