// The schedule page of a scheduled task in the Windows view, the program's own dialog for
// when the system offers none: the task's times in a list, each edited as once, daily or
// weekly at a time, from a date, every so many days or weeks, on chosen days of the week.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/task_trigger.h"
#include "ui/win32/dialog_calls.h"

namespace ui::win32 {

class ScheduleDialog : public ::win32::view::DialogEvents {
 public:
  ScheduleDialog(std::string title, std::vector<platform::TASK_TRIGGER> triggers);

  // Shows the dialog until the person confirms (the times edited) or cancels (nothing).
  std::optional<std::vector<platform::TASK_TRIGGER>> Run(void* owner);

  void Opened(void* dialog) override;
  void Command(int id, int code) override;
  void PickerChanged(int id) override;

 private:
  void* Item(int id) const;
  void AddTrigger();
  void DeleteTrigger();
  void FillList();
  void ShowTrigger(int index);
  // Takes the fields into the selected trigger and refreshes its line in the list.
  void TakeFields();
  void ShowKindFields();

  std::string title_;
  std::vector<platform::TASK_TRIGGER> triggers_;
  void* dialog_ = nullptr;
  int current_ = -1;
  bool filling_ = false;  // the fields are being set from a trigger
};

}  // namespace ui::win32
