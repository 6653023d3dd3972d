#include "platform/task_trigger.h"
#include "platform/local_time.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace platform {
namespace {

namespace chrono = std::chrono;

constexpr long kMinutesADay = 24 * 60;
constexpr int kSearchDays = 3660;  // ten years and a little
constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDayNames[] = {"sunday",   "monday", "tuesday", "wednesday",
                                         "thursday", "friday", "saturday"};

chrono::sys_days DayOf(int year, unsigned month, unsigned day) {
  return chrono::sys_days(chrono::year(year) / chrono::month(month) / chrono::day(day));
}

bool ValidDate(int year, unsigned month, unsigned day) {
  return (chrono::year(year) / chrono::month(month) / chrono::day(day)).ok();
}

chrono::sys_days BeginDay(const TASK_TRIGGER& trigger) {
  if (!ValidDate(trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay))
    return chrono::sys_days::max();
  return DayOf(trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay);
}

bool HasEnded(const TASK_TRIGGER& trigger, chrono::sys_days day) {
  if (!(trigger.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE)) return false;
  if (!ValidDate(trigger.wEndYear, trigger.wEndMonth, trigger.wEndDay)) return true;
  return day > DayOf(trigger.wEndYear, trigger.wEndMonth, trigger.wEndDay);
}

// Whether a run of the trigger starts on that day (its repetitions may reach the next).
bool StartsOn(const TASK_TRIGGER& trigger, chrono::sys_days day) {
  const chrono::sys_days begin = BeginDay(trigger);
  if (day < begin || HasEnded(trigger, day)) return false;
  const chrono::year_month_day date(day);
  const unsigned weekday = chrono::weekday(day).c_encoding();  // 0 = Sunday
  const unsigned month = static_cast<unsigned>(date.month());
  const unsigned dayOfMonth = static_cast<unsigned>(date.day());
  const TRIGGER_TYPE_UNION& type = trigger.Type;
  switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      return day == begin;
    case TASK_TIME_TRIGGER_DAILY: {
      const long interval = type.Daily.DaysInterval ? type.Daily.DaysInterval : 1;
      return (day - begin).count() % interval == 0;
    }
    case TASK_TIME_TRIGGER_WEEKLY: {
      if (!(type.Weekly.rgfDaysOfTheWeek & (1u << weekday))) return false;
      const long interval = type.Weekly.WeeksInterval ? type.Weekly.WeeksInterval : 1;
      // Weeks are counted from the Sunday of the begin date's week.
      const chrono::sys_days firstSunday =
          begin - chrono::days(chrono::weekday(begin).c_encoding());
      return ((day - firstSunday).count() / 7) % interval == 0;
    }
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      return (type.MonthlyDate.rgfMonths & (1u << (month - 1))) &&
             (type.MonthlyDate.rgfDays & (1ul << (dayOfMonth - 1)));
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      const MONTHLYDOW& rule = type.MonthlyDOW;
      if (!(rule.rgfMonths & (1u << (month - 1))) || !(rule.rgfDaysOfTheWeek & (1u << weekday)))
        return false;
      if (rule.wWhichWeek == TASK_LAST_WEEK) {
        const chrono::year_month_day next(day + chrono::days(7));
        return next.month() != date.month();
      }
      return (dayOfMonth - 1) / 7 + 1 == rule.wWhichWeek;
    }
    default:
      return false;
  }
}

bool FiresByTime(const TASK_TRIGGER& trigger) {
  return trigger.TriggerType <= TASK_TIME_TRIGGER_MONTHLYDOW &&
         !(trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED) && trigger.wStartHour < 24 &&
         trigger.wStartMinute < 60;
}

// A run repeats every MinutesInterval minutes for MinutesDuration minutes; a window longer
// than a year is taken as a year (a task file may say anything).
constexpr long kLongestRepetition = 366 * kMinutesADay;

long RepetitionWindow(const TASK_TRIGGER& trigger) {
  if (trigger.MinutesInterval == 0 || trigger.MinutesDuration < trigger.MinutesInterval) return 0;
  return std::min<long>(trigger.MinutesDuration, kLongestRepetition);
}

long MinuteNumber(chrono::sys_days day, long minuteOfDay) {
  return day.time_since_epoch().count() * kMinutesADay + minuteOfDay;
}

SYSTEMTIME TimeOfMinute(long number) {
  const chrono::sys_days day{chrono::days(number / kMinutesADay - (number % kMinutesADay < 0))};
  const long minute = number - day.time_since_epoch().count() * kMinutesADay;
  const chrono::year_month_day date(day);
  SYSTEMTIME time;
  time.wYear = static_cast<WORD>(static_cast<int>(date.year()));
  time.wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
  time.wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
  time.wDayOfWeek = static_cast<WORD>(chrono::weekday(day).c_encoding());
  time.wHour = static_cast<WORD>(minute / 60);
  time.wMinute = static_cast<WORD>(minute % 60);
  return time;
}

std::string DateText(int year, unsigned month, unsigned day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", year, month, day);
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::vector<std::string> Words(const std::string& text, char separator) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool ParseClock(const std::string& text, WORD& hour, WORD& minute) {
  unsigned h = 0, m = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%2u:%2u%c", &h, &m, &extra) != 2 || h > 23 || m > 59 ||
      text.size() != 5)
    return false;
  hour = static_cast<WORD>(h);
  minute = static_cast<WORD>(m);
  return true;
}

bool ParseDate(const std::string& text, WORD& year, WORD& month, WORD& day) {
  unsigned y = 0, m = 0, d = 0;
  char extra = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4u-%2u-%2u%c", &y, &m, &d, &extra) != 3 ||
      y < 1601 || !ValidDate(static_cast<int>(y), m, d))
    return false;
  year = static_cast<WORD>(y);
  month = static_cast<WORD>(m);
  day = static_cast<WORD>(d);
  return true;
}

}  // namespace

bool TriggerFiresAt(const TASK_TRIGGER& trigger, const SYSTEMTIME& minute) {
  if (!FiresByTime(trigger) || !ValidDate(minute.wYear, minute.wMonth, minute.wDay)) return false;
  const chrono::sys_days today = DayOf(minute.wYear, minute.wMonth, minute.wDay);
  const long at = MinuteNumber(today, minute.wHour * 60L + minute.wMinute);
  const long start = trigger.wStartHour * 60L + trigger.wStartMinute;
  const long window = RepetitionWindow(trigger);
  // A run that started up to its repetition window before may still repeat now.
  for (long back = 0; back <= (start + window) / kMinutesADay; ++back) {
    const chrono::sys_days day = today - chrono::days(back);
    const long since = at - MinuteNumber(day, start);
    if (since < 0 || since > window || !StartsOn(trigger, day)) continue;
    if (since == 0 || since % trigger.MinutesInterval == 0) return true;
  }
  return false;
}

std::optional<SYSTEMTIME> NextFiring(const TASK_TRIGGER& trigger, const SYSTEMTIME& after) {
  if (!FiresByTime(trigger) || !ValidDate(after.wYear, after.wMonth, after.wDay))
    return std::nullopt;
  const chrono::sys_days first = DayOf(after.wYear, after.wMonth, after.wDay);
  const long from = MinuteNumber(first, after.wHour * 60L + after.wMinute);
  const long start = trigger.wStartHour * 60L + trigger.wStartMinute;
  const long window = RepetitionWindow(trigger);
  const long daysBack = (start + window) / kMinutesADay;
  std::optional<long> best;
  chrono::sys_days day = first - chrono::days(daysBack);
  for (long i = 0; i <= kSearchDays + daysBack; ++i, day += chrono::days(1)) {
    if (best && MinuteNumber(day, 0) > *best) break;
    if (!StartsOn(trigger, day)) continue;
    // The run's first minute after from: its start, or its next repetition.
    const long base = MinuteNumber(day, start);
    long next = base;
    if (base <= from) {
      if (window == 0) continue;
      next = base + ((from - base) / trigger.MinutesInterval + 1) * trigger.MinutesInterval;
      if (next - base > window) continue;
    }
    if (!best || next < *best) best = next;
  }
  if (!best) return std::nullopt;
  return TimeOfMinute(*best);
}

std::optional<SYSTEMTIME> NextFiring(const std::vector<TASK_TRIGGER>& triggers,
                                     const SYSTEMTIME& after) {
  std::optional<SYSTEMTIME> first;
  // The texts "YYYY-MM-DD HH:MM" order as the minutes do.
  for (const TASK_TRIGGER& trigger : triggers) {
    auto at = NextFiring(trigger, after);
    if (at && (!first || MinuteText(*at) < MinuteText(*first))) first = at;
  }
  return first;
}

std::string DescribeTrigger(const TASK_TRIGGER& trigger) {
  // Built by appending: GCC 12 at -O3 misreads "text" + string as an overlapping copy.
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02u:%02u", unsigned(trigger.wStartHour) % 100,
                unsigned(trigger.wStartMinute) % 100);
  const std::string begin = DateText(trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay);
  auto days = [](WORD mask) {
    std::string text;
    for (int day = 0; day < 7; ++day) {
      if (!(mask & (1u << day))) continue;
      if (!text.empty()) text += ',';
      text += kDayNames[day];
    }
    return text.empty() ? std::string("no day") : text;
  };
  std::string text;
  const TRIGGER_TYPE_UNION& type = trigger.Type;
  switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      text = "once ";
      text += begin;
      text += ' ';
      text += clock;
      if (trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED) text += " (disabled)";
      return text;
    case TASK_TIME_TRIGGER_DAILY:
      if (type.Daily.DaysInterval > 1) {
        text = "every ";
        text += std::to_string(type.Daily.DaysInterval);
        text += " days ";
      } else {
        text = "daily ";
      }
      text += clock;
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      if (type.Weekly.WeeksInterval > 1) {
        text = "every ";
        text += std::to_string(type.Weekly.WeeksInterval);
        text += " weeks ";
      } else {
        text = "weekly ";
      }
      text += days(type.Weekly.rgfDaysOfTheWeek);
      text += ' ';
      text += clock;
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE: {
      std::string dates;
      for (int day = 0; day < 31; ++day) {
        if (!(type.MonthlyDate.rgfDays & (1ul << day))) continue;
        if (!dates.empty()) dates += ',';
        dates += std::to_string(day + 1);
      }
      text = "monthly day ";
      text += dates.empty() ? std::string("none") : dates;
      text += ' ';
      text += clock;
      break;
    }
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      const WORD which = type.MonthlyDOW.wWhichWeek;
      const char* ordinals[] = {"first", "second", "third", "fourth", "last"};
      text = "monthly ";
      text += which >= 1 && which <= 5 ? ordinals[which - 1] : "no";
      text += ' ';
      text += days(type.MonthlyDOW.rgfDaysOfTheWeek);
      text += ' ';
      text += clock;
      break;
    }
    case TASK_EVENT_TRIGGER_ON_IDLE:
      return "when idle";
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
      return "at system start";
    case TASK_EVENT_TRIGGER_AT_LOGON:
      return "at log-on";
    default:
      text = "unknown trigger ";
      text += std::to_string(trigger.TriggerType);
      return text;
  }
  text += " from ";
  text += begin;
  if (trigger.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE) {
    text += " until ";
    text += DateText(trigger.wEndYear, trigger.wEndMonth, trigger.wEndDay);
  }
  if (trigger.MinutesInterval && trigger.MinutesDuration >= trigger.MinutesInterval) {
    text += ", every ";
    text += std::to_string(trigger.MinutesInterval);
    text += " min for ";
    text += std::to_string(trigger.MinutesDuration);
    text += " min";
  }
  if (trigger.rgFlags & TASK_TRIGGER_FLAG_DISABLED) text += " (disabled)";
  return text;
}

std::optional<TASK_TRIGGER> ParseTrigger(const std::string& text, const SYSTEMTIME& today) {
  const std::vector<std::string> words = Words(text, ' ');
  if (words.empty()) return std::nullopt;
  TASK_TRIGGER trigger;
  trigger.wBeginYear = today.wYear;
  trigger.wBeginMonth = today.wMonth;
  trigger.wBeginDay = today.wDay;
  const std::string kind = Lower(words[0]);
  if (kind == "daily" && words.size() == 2) {
    trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
    trigger.Type.Daily.DaysInterval = 1;
    if (!ParseClock(words[1], trigger.wStartHour, trigger.wStartMinute)) return std::nullopt;
  } else if (kind == "weekly" && words.size() == 3) {
    trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
    trigger.Type.Weekly.WeeksInterval = 1;
    WORD mask = 0;
    for (const std::string& name : Words(Lower(words[1]), ',')) {
      int found = -1;
      for (int day = 0; day < 7; ++day)
        if (name == Lower(kDayNames[day]) || name == kLongDayNames[day]) found = day;
      if (found < 0) return std::nullopt;
      mask = static_cast<WORD>(mask | (1u << found));
    }
    if (!mask || !ParseClock(words[2], trigger.wStartHour, trigger.wStartMinute))
      return std::nullopt;
    trigger.Type.Weekly.rgfDaysOfTheWeek = mask;
  } else if (kind == "once" && words.size() == 3) {
    trigger.TriggerType = TASK_TIME_TRIGGER_ONCE;
    if (!ParseDate(words[1], trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay) ||
        !ParseClock(words[2], trigger.wStartHour, trigger.wStartMinute))
      return std::nullopt;
  } else {
    return std::nullopt;
  }
  return trigger;
}

SYSTEMTIME LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = LocalTimeOf(now);
  SYSTEMTIME time;
  time.wYear = static_cast<WORD>(local.tm_year + 1900);
  time.wMonth = static_cast<WORD>(local.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time.wDay = static_cast<WORD>(local.tm_mday);
  time.wHour = static_cast<WORD>(local.tm_hour);
  time.wMinute = static_cast<WORD>(local.tm_min);
  time.wSecond = static_cast<WORD>(local.tm_sec);
  return time;
}

std::optional<SYSTEMTIME> ParseMinute(const std::string& text) {
  const std::vector<std::string> words = Words(text, ' ');
  SYSTEMTIME time;
  if (words.size() != 2 || !ParseDate(words[0], time.wYear, time.wMonth, time.wDay) ||
      !ParseClock(words[1], time.wHour, time.wMinute))
    return std::nullopt;
  time.wDayOfWeek =
      static_cast<WORD>(chrono::weekday(DayOf(time.wYear, time.wMonth, time.wDay)).c_encoding());
  return time;
}

std::string MinuteText(const SYSTEMTIME& time) {
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02u:%02u", unsigned(time.wHour) % 100,
                unsigned(time.wMinute) % 100);
  return DateText(time.wYear, time.wMonth, time.wDay) + " " + clock;
}

}  // namespace platform
