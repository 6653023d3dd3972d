// The schedule page of a scheduled task: its times in a list, each edited as once, daily or
// weekly at a time, from a date, every so many days or weeks, on chosen days of the week.
#pragma once

#include <QDialog>
#include <vector>

#include "platform/task_trigger.h"

class QComboBox;
class QDateEdit;
class QTimeEdit;
class QSpinBox;
class QCheckBox;
class QLabel;
class QPushButton;

namespace ui::qt {

class ScheduleDialog : public QDialog {
 public:
  ScheduleDialog(QWidget* parent, const QString& title,
                 const std::vector<platform::TASK_TRIGGER>& triggers);

  const std::vector<platform::TASK_TRIGGER>& Triggers() const { return triggers_; }

 private:
  void AddTrigger();
  void DeleteTrigger();
  void ShowTrigger(int index);
  // Takes the fields into the selected trigger and refreshes its line in the list.
  void TakeFields();
  void ShowKindFields();

  std::vector<platform::TASK_TRIGGER> triggers_;
  int current_ = -1;
  bool filling_ = false;  // the fields are being set from a trigger
  QComboBox* list_;
  QPushButton* delete_;
  QComboBox* kind_;
  QTimeEdit* time_;
  QDateEdit* date_;
  QSpinBox* interval_;
  QLabel* intervalLabel_;
  QCheckBox* days_[7];
  QWidget* fields_;
};

}  // namespace ui::qt
