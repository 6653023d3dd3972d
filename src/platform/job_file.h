// The task scheduler's task file ("NAME.job"): a fixed part of 68 bytes, then the running
// count, the five texts (UTF-16LE, counted with their terminating zero), user and reserved
// data and 48-byte triggers, all little-endian. A file written here reads as a task of the
// scheduler and back.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/task_trigger.h"

namespace platform {

constexpr DWORD TASK_FLAG_DISABLED = 0x4;
constexpr DWORD TASK_FLAG_RUN_ONLY_IF_LOGGED_ON = 0x2000;
constexpr DWORD TASK_APPLICATION_NAME = 0x01000000;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr LONG SCHED_S_TASK_READY = 0x00041300;
constexpr LONG SCHED_S_TASK_DISABLED = 0x00041302;
constexpr LONG SCHED_S_TASK_HAS_NOT_RUN = 0x00041303;
constexpr LONG SCHED_S_TASK_NO_MORE_RUNS = 0x00041304;
constexpr LONG SCHED_S_TASK_NOT_SCHEDULED = 0x00041305;
constexpr LONG SCHED_S_TASK_NO_VALID_TRIGGERS = 0x00041307;

struct JobFile {
  WORD productVersion = 0x0501;
  WORD fileVersion = 1;
  std::array<BYTE, 16> uuid{};
  WORD errorRetryCount = 0, errorRetryInterval = 0;
  WORD idleDeadline = 60, idleWait = 10;
  DWORD priority = NORMAL_PRIORITY_CLASS;
  DWORD maxRunTime = 259200000;  // 72 hours in milliseconds
  DWORD exitCode = 0;
  LONG status = SCHED_S_TASK_HAS_NOT_RUN;
  DWORD flags = 0;
  SYSTEMTIME lastRun;
  WORD runningInstances = 0;
  std::u16string application, parameters, workingDirectory, author, comment;
  std::vector<BYTE> userData;
  bool reservedData = true;  // the 8 bytes of start error and task flags
  DWORD startError = 0;
  std::vector<TASK_TRIGGER> triggers;
};

std::string EncodeJobFile(const JobFile& job);
// Nothing when the bytes are no task file: too short, a field running past the end, a
// reserved size other than 0 or 8, or bytes left after the triggers (and the optional
// signature).
std::optional<JobFile> DecodeJobFile(const std::string& bytes);

}  // namespace platform
