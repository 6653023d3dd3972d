// A task file of the Tasks folder: read, and when it reads, written and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/job_file.h"
#include "platform/task_trigger.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto job = platform::DecodeJobFile(bytes);
  if (!job) return 0;
  const auto again = platform::DecodeJobFile(platform::EncodeJobFile(*job));
  if (!again || again->triggers.size() != job->triggers.size() ||
      again->application != job->application || again->comment != job->comment)
    __builtin_trap();
  // Whatever a trigger holds, its times are asked for without harm.
  const platform::SYSTEMTIME minute = platform::ParseMinute("2026-12-08 09:30").value();
  for (const platform::TASK_TRIGGER& trigger : job->triggers) {
    platform::TriggerFiresAt(trigger, minute);
    platform::NextFiring(trigger, minute);
    platform::DescribeTrigger(trigger);
  }
  return 0;
}
