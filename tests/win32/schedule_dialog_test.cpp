// The window's schedule dialog, which edits a scheduled task's times where the system offers
// no page of its own, asked for through the window's prompt and answered by a person played by
// another thread: what the person sets is what comes back, and a cancelled dialog gives
// nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "schedule_dialog_test_calls.h"
#include "ui/win32/control_calls.h"
#include "ui/win32/frame.h"
#include "ui/win32/view_ids.h"
#include "ui/win32/win32_view_prompt.h"

namespace ui::win32 {
namespace {

using platform::TASK_TRIGGER;

constexpr int kLooks = 500;  // of 10 ms each, for the dialog to be up
// The kinds in the order of the dialog's list.
constexpr int kWeekly = 2;

TASK_TRIGGER Trigger(const std::string& text) {
  const platform::SYSTEMTIME monday{2026, 3, 1, 2};  // Monday 2 March 2026
  return *platform::ParseTrigger(text, monday);
}

// The controls' classes, before the window is made.
struct WindowClasses {
  WindowClasses() {
    ::win32::view::StartCommonControls();
    ::win32::view::RegisterViewClasses();
  }
};

class ScheduleDialogTest : public ::testing::Test {
 protected:
  // Asks for the schedule while the person does their part on the dialog, once it is up.
  std::optional<std::vector<TASK_TRIGGER>> Edit(const std::vector<TASK_TRIGGER>& current,
                                                const std::function<void(void*)>& person) {
    const std::string title = "Vexmarl schedule test " + std::to_string(std::random_device{}());
    bool found = false;
    std::thread hands([&] {
      for (int look = 0; look < kLooks; ++look) {
        if (void* dialog = ::win32::FindDialog(title)) {
          found = true;
          person(dialog);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
    auto edited = prompt_.EditSchedule(title, current);
    hands.join();
    EXPECT_TRUE(found) << "the dialog did not open";
    return edited;
  }

  WindowClasses classes_;
  Frame frame_;
  Win32ViewPrompt prompt_{frame_};
};

TEST_F(ScheduleDialogTest, WeeklyTimesComeBackAsThePersonSetThem) {
  auto edited = Edit({Trigger("daily 09:00")}, [](void* dialog) {
    // Made weekly, the task keeps its start date's weekday (a Monday) until a day is ticked.
    ::win32::Choose(dialog, IDC_SCHEDULE_KIND, kWeekly);
    ::win32::Press(dialog, IDC_SCHEDULE_DAY + 3);  // Wednesday too
    ::win32::SetPicker(dialog, IDC_SCHEDULE_TIME, 2026, 3, 2, 18, 30);
    ::win32::SetItemText(dialog, IDC_SCHEDULE_EVERY, "2");
    ::win32::Press(dialog, platform::IDOK);
  });
  ASSERT_TRUE(edited.has_value());
  ASSERT_EQ(edited->size(), 1u);
  const TASK_TRIGGER& weekly = edited->front();
  EXPECT_EQ(platform::DescribeTrigger(weekly), "every 2 weeks Mon,Wed 18:30 from 2026-03-02");
  EXPECT_EQ(weekly.TriggerType, platform::TASK_TIME_TRIGGER_WEEKLY);
  EXPECT_EQ(weekly.Type.Weekly.rgfDaysOfTheWeek, (1u << 1) | (1u << 3));
}

TEST_F(ScheduleDialogTest, DeleteTakesTheChosenTimeAndNewAddsADailyOne) {
  auto edited = Edit({Trigger("daily 09:00"), Trigger("once 2026-12-24 18:00")}, [](void* dialog) {
    ::win32::Choose(dialog, IDC_SCHEDULE_LIST, 0);
    ::win32::Press(dialog, IDC_SCHEDULE_DELETE);
    ::win32::Press(dialog, IDC_SCHEDULE_NEW);
    EXPECT_EQ(::win32::ItemCount(dialog, IDC_SCHEDULE_LIST), 2);
    ::win32::Press(dialog, platform::IDOK);
  });
  ASSERT_TRUE(edited.has_value());
  ASSERT_EQ(edited->size(), 2u);
  EXPECT_EQ(platform::DescribeTrigger((*edited)[0]), "once 2026-12-24 18:00");
  EXPECT_EQ((*edited)[1].TriggerType, platform::TASK_TIME_TRIGGER_DAILY);
  EXPECT_EQ((*edited)[1].wStartHour, 9);
  EXPECT_EQ((*edited)[1].Type.Daily.DaysInterval, 1);
}

TEST_F(ScheduleDialogTest, EscapeCancelsWhateverWasChanged) {
  auto edited = Edit({Trigger("daily 09:00")}, [](void* dialog) {
    ::win32::SetItemText(dialog, IDC_SCHEDULE_EVERY, "5");
    ::win32::PressEscape(dialog);
    for (int look = 0; look < kLooks && ::win32::IsOpen(dialog); ++look)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  EXPECT_FALSE(edited.has_value());
}

}  // namespace
}  // namespace ui::win32
