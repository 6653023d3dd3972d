// vexmarl-cli schedule: the window's schedule command, with the schedule page answered by the
// option (or asked on the terminal without one), then the task's times on standard output.

#include <cstdio>
#include <iostream>

#include "app/scheduled_scan.h"
#include "cli/cli_program.h"
#include "platform/console.h"
#include "platform/scheduler.h"

namespace cli {
namespace {

// Answers the schedule page with the times given on the command line; every other question
// gets its safe answer, written to standard error.
class SchedulePrompt : public platform::ConsolePrompt {
 public:
  explicit SchedulePrompt(std::vector<platform::TASK_TRIGGER> triggers)
      : ConsolePrompt(std::cin, std::cerr, false), triggers_(std::move(triggers)) {}
  std::optional<std::vector<platform::TASK_TRIGGER>> EditSchedule(
      const std::string&, const std::vector<platform::TASK_TRIGGER>&) override {
    return triggers_;
  }

 private:
  std::vector<platform::TASK_TRIGGER> triggers_;
};

}  // namespace

int ScheduleCommand(CliProgram& program, const std::string& when) {
  platform::Machine& machine = program.machine;
  std::optional<platform::TASK_TRIGGER> trigger;
  if (!when.empty()) {
    trigger = platform::ParseTrigger(when, platform::LocalTimeNow());
    if (!trigger) return CannotRun("not a schedule: " + when);
  }
  SchedulePrompt given(trigger ? std::vector{*trigger} : std::vector<platform::TASK_TRIGGER>{});
  platform::ConsolePrompt asked(std::cin, std::cout,
                                platform::IsTerminal(platform::ConsoleStream::Input));
  platform::Prompt& prompt = trigger ? static_cast<platform::Prompt&>(given) : asked;
  app::ScheduleScan(machine, prompt, program.branding, program.resources, program.programFolder,
                    nullptr, {std::cout, std::cerr});

  platform::TaskStore store(machine.files(), machine.registry(), machine.system());
  platform::JobFile job;
  if (store.Read(store.PathOf(program.branding.APPNAME), job) != platform::ERROR_SUCCESS) return 1;
  std::printf("%s:", program.branding.APPNAME.c_str());
  if (job.triggers.empty()) std::printf(" no times set");
  for (std::size_t i = 0; i < job.triggers.size(); ++i)
    std::printf("%s %s", i ? ";" : "", platform::DescribeTrigger(job.triggers[i]).c_str());
  std::printf("\n");
  // The times asked for are the task's only when its page saved them.
  if (trigger && (job.triggers.size() != 1 || platform::DescribeTrigger(job.triggers[0]) !=
                                                  platform::DescribeTrigger(*trigger)))
    return 1;
  return 0;
}

}  // namespace cli
