// When a scheduled task fires: the trigger record of the task scheduler, the minutes it
// fires at, and the short texts people and the console use for it ("daily 09:30").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace platform {

struct SYSTEMTIME {
  WORD wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0,
       wMilliseconds = 0;
};

enum TASK_TRIGGER_TYPE : DWORD {
  TASK_TIME_TRIGGER_ONCE = 0,
  TASK_TIME_TRIGGER_DAILY = 1,
  TASK_TIME_TRIGGER_WEEKLY = 2,
  TASK_TIME_TRIGGER_MONTHLYDATE = 3,
  TASK_TIME_TRIGGER_MONTHLYDOW = 4,
  TASK_EVENT_TRIGGER_ON_IDLE = 5,
  TASK_EVENT_TRIGGER_AT_SYSTEMSTART = 6,
  TASK_EVENT_TRIGGER_AT_LOGON = 7,
};

constexpr DWORD TASK_TRIGGER_FLAG_HAS_END_DATE = 0x1;
constexpr DWORD TASK_TRIGGER_FLAG_KILL_AT_DURATION_END = 0x2;
constexpr DWORD TASK_TRIGGER_FLAG_DISABLED = 0x4;
// Days of the week (Sunday first) and months (January first) as masks.
constexpr WORD TASK_SUNDAY = 0x1;
constexpr WORD TASK_LAST_WEEK = 5;

struct DAILY {
  WORD DaysInterval;
};
struct WEEKLY {
  WORD WeeksInterval;
  WORD rgfDaysOfTheWeek;
};
struct MONTHLYDATE {
  DWORD rgfDays;
  WORD rgfMonths;
};
struct MONTHLYDOW {
  WORD wWhichWeek;
  WORD rgfDaysOfTheWeek;
  WORD rgfMonths;
};
union TRIGGER_TYPE_UNION {
  DAILY Daily;
  WEEKLY Weekly;
  MONTHLYDATE MonthlyDate;
  MONTHLYDOW MonthlyDOW;
};

struct TASK_TRIGGER {
  WORD cbTriggerSize = sizeof(TASK_TRIGGER);
  WORD Reserved1 = 0;
  WORD wBeginYear = 0, wBeginMonth = 0, wBeginDay = 0;
  WORD wEndYear = 0, wEndMonth = 0, wEndDay = 0;
  WORD wStartHour = 0, wStartMinute = 0;
  DWORD MinutesDuration = 0;
  DWORD MinutesInterval = 0;
  DWORD rgFlags = 0;
  TASK_TRIGGER_TYPE TriggerType = TASK_TIME_TRIGGER_ONCE;
  TRIGGER_TYPE_UNION Type{};
  WORD Reserved2 = 0;
  WORD wRandomMinutesInterval = 0;
};

// Whether the trigger starts its task at that minute (seconds are not looked at). Event
// triggers and disabled ones never fire at a time.
bool TriggerFiresAt(const TASK_TRIGGER& trigger, const SYSTEMTIME& minute);
// The first minute after the given one at which the trigger fires, within ten years.
std::optional<SYSTEMTIME> NextFiring(const TASK_TRIGGER& trigger, const SYSTEMTIME& after);
// The first of those minutes among several triggers (a task's next run).
std::optional<SYSTEMTIME> NextFiring(const std::vector<TASK_TRIGGER>& triggers,
                                     const SYSTEMTIME& after);

// "daily 09:30", "every 2 days 09:30", "weekly Mon,Wed 09:30", "once 2026-12-24 18:00",
// "monthly day 1,15 09:30", "at log-on"; a start date other than today's is added as
// "from YYYY-MM-DD", an end date as "until YYYY-MM-DD".
std::string DescribeTrigger(const TASK_TRIGGER& trigger);
// A trigger from "daily HH:MM", "weekly DAY[,DAY...] HH:MM" or "once YYYY-MM-DD HH:MM"
// (days as Sun..Sat, in any case), beginning on today's date for the first two; nothing
// when the text is none of them.
std::optional<TASK_TRIGGER> ParseTrigger(const std::string& text, const SYSTEMTIME& today);

// The machine's local time now.
SYSTEMTIME LocalTimeNow();
// "YYYY-MM-DD HH:MM" as a time; nothing when it is not a valid date and time.
std::optional<SYSTEMTIME> ParseMinute(const std::string& text);
std::string MinuteText(const SYSTEMTIME& time);

}  // namespace platform
