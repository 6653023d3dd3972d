#include "tasks.h"

#include <cstdio>
#include <optional>

#include "platform/image/image_machine.h"
#include "platform/last_error.h"
#include "platform/scheduler.h"

namespace vexmachine {
namespace {

using namespace platform;

struct StoredTask {
  std::string name;
  JobFile job;
  std::optional<std::string> account;
};

std::vector<StoredTask> ReadTasks(TaskStore& store) {
  std::vector<StoredTask> tasks;
  for (const std::string& name : store.Names()) {
    StoredTask task{name, {}, store.Account(name + ".job")};
    if (const DWORD error = store.Read(store.PathOf(name), task.job)) {
      std::fprintf(stderr, "vexmachine: task %s cannot be read (error %u)\n", name.c_str(), error);
      continue;
    }
    tasks.push_back(std::move(task));
  }
  return tasks;
}

void Print(const CodePage& code, const StoredTask& task) {
  const JobFile& job = task.job;
  std::printf("%s\n", task.name.c_str());
  std::printf("  application: %s\n", code.FromUtf16(job.application).c_str());
  std::printf("  parameters: %s\n", code.FromUtf16(job.parameters).c_str());
  std::printf("  working folder: %s\n", code.FromUtf16(job.workingDirectory).c_str());
  std::printf("  account: %s\n", task.account ? task.account->c_str() : "(system)");
  std::printf("  comment: %s\n", code.FromUtf16(job.comment).c_str());
  std::printf("  flags: 0x%x\n", job.flags);
  for (const TASK_TRIGGER& trigger : job.triggers)
    std::printf("  trigger: %s\n", DescribeTrigger(trigger).c_str());
  std::optional<SYSTEMTIME> next;
  if (!(job.flags & TASK_FLAG_DISABLED)) next = NextFiring(job.triggers, LocalTimeNow());
  std::printf("  next run: %s\n", next ? MinuteText(*next).c_str() : "never");
}

// Starts the task's application with its parameters in its working folder, as the scheduler
// does, without waiting for it.
bool Start(Machine& machine, const StoredTask& task) {
  const CodePage& code = machine.Code();
  const std::string application = code.FromUtf16(task.job.application);
  const std::string parameters = code.FromUtf16(task.job.parameters);
  auto program = machine.shell().FindProgram(application);
  if (!program) {
    std::fprintf(stderr, "vexmachine: task %s: no program %s\n", task.name.c_str(),
                 application.c_str());
    return false;
  }
  const std::string commandLine =
      QuoteArgument(*program) + (parameters.empty() ? "" : " " + parameters);
  HANDLE process = machine.shell().StartProgram(*program, commandLine,
                                                code.FromUtf16(task.job.workingDirectory));
  if (!process) {
    std::fprintf(stderr, "vexmachine: task %s cannot start %s (error %u)\n", task.name.c_str(),
                 program->c_str(), GetLastError());
    return false;
  }
  std::printf("started %s: %s\n", task.name.c_str(), commandLine.c_str());
  std::fflush(stdout);
  CloseHandle(process);
  return true;
}

}  // namespace

int Tasks(const std::vector<std::string>& args) {
  const bool run = args.size() == 3 && args[1] == "--run";
  const bool due = args.size() == 3 && args[1] == "--due";
  if (args.size() != 1 && !run && !due) {
    std::fputs("usage: vexmachine tasks IMAGE [--run NAME | --due \"YYYY-MM-DD HH:MM\"]\n", stderr);
    return 2;
  }
  std::string error;
  auto machine = ImageMachine::Open(args[0], &error);
  if (!machine) {
    std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
    return 1;
  }
  TaskStore store(machine->files(), machine->registry(), machine->system());
  const std::vector<StoredTask> tasks = ReadTasks(store);
  if (args.size() == 1) {
    for (const StoredTask& task : tasks) Print(machine->Code(), task);
    return 0;
  }
  if (run) {
    for (const StoredTask& task : tasks) {
      if (machine->Code().EqualNoCase(task.name, args[2])) return Start(*machine, task) ? 0 : 1;
    }
    std::fprintf(stderr, "vexmachine: no task %s\n", args[2].c_str());
    return 1;
  }
  const auto minute = ParseMinute(args[2]);
  if (!minute) {
    std::fprintf(stderr, "vexmachine: not a time: %s (YYYY-MM-DD HH:MM)\n", args[2].c_str());
    return 2;
  }
  bool allStarted = true;
  for (const StoredTask& task : tasks) {
    if (task.job.flags & TASK_FLAG_DISABLED) continue;
    for (const TASK_TRIGGER& trigger : task.job.triggers) {
      if (!TriggerFiresAt(trigger, *minute)) continue;
      allStarted = Start(*machine, task) && allStarted;
      break;
    }
  }
  return allStarted ? 0 : 1;
}

}  // namespace vexmachine
