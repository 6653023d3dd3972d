// vexmarl-cli scan: a scan as the start page starts it, its listed items on standard output.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>

#include <iostream>
#include <vector>

#include "app/removal_flow.h"
#include "app/scan_session.h"
#include "cli/cli_program.h"
#include "cli/progress_line.h"
#include "cli/scan_json.h"
#include "cli/yes_prompt.h"
#include "platform/console.h"

namespace cli {
namespace {

constexpr const char* kAbortedLine = "<Information Message = \"Scan Aborted by User\"/>";

// Set by Ctrl-C; the scan is stopped from the main loop as the stop button stops it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt() {
  interrupted = true;
}

void PrintProgress(ProgressLine& line, scan::ScanEngine& engine) {
  const scan::ScanCounters& counters = engine.Counters();
  line.Draw(engine.GetPhaseText(), engine.GetItemText(), counters.objectsExamined.load(),
            counters.itemsFound.load(), counters.itemsListed.load(),
            platform::TerminalColumns(platform::ConsoleStream::Error));
}

void PrintSummary(scan::ScanEngine& engine, const std::string& logPath) {
  const scan::ScanCounters& c = engine.Counters();
  std::fprintf(stderr,
               "%s: examined %d, found %d, listed %d, ignored %d, processes logged %d, keys and "
               "hosts %d, values %d, files %d, folders %d, processes %d\n",
               engine.Aborted() ? "Scan stopped" : "Scan finished", c.objectsExamined.load(),
               c.itemsFound.load(), c.itemsListed.load(), c.itemsIgnored.load(),
               c.processesLogged.load(), c.keysAndHostsFound.load(), c.valuesFound.load(),
               c.filesFound.load(), c.foldersFound.load(), c.processesFound.load());
  if (!logPath.empty()) std::fprintf(stderr, "Session log: %s\n", logPath.c_str());
}

// Ticks every listed row and removes as the results page does; the exit status. What was
// done goes into summary once the removal ran.
int Remove(CliProgram& program, app::ScanSession& session, platform::Prompt& prompt, int scanStatus,
           bool json, std::optional<RemovalSummary>& summary) {
  scan::ScanEngine& engine = session.Engine();
  std::vector<removal::ResultRow> rows;
  for (const scan::FoundItem& item : engine.Listed()) rows.push_back({item, true});
  app::RemovalFlow flow(program.machine, session, program.branding, program.resources, prompt,
                        program.programFolder);
  if (!flow.Confirm(rows)) return scanStatus;
  std::string archive;
  if (!flow.Quarantine(&archive)) {
    std::fputs("vexmarl-cli: the quarantine archive could not be written; nothing was removed\n",
               stderr);
    return scanStatus;
  }
  const removal::RemovalOutcome outcome = flow.Run(rows);
  for (const scan::FoundItem& item : outcome.removedItems) {
    if (json) {
      WriteJsonLine(RemovedItemJson(program.machine.Code(), item));
    } else {
      std::printf("removed\t%d\t%s\t%s\t%s\n", static_cast<int>(item.kind),
                  scan::KindName(item.kind), item.entry->name.c_str(), item.text.c_str());
    }
  }
  std::fflush(stdout);
  std::fprintf(stderr, "Quarantine archive: %s\n", archive.c_str());
  const std::vector<std::string>& pending = engine.PendingDeleteList();
  for (const std::string& path : pending)
    std::fprintf(stderr, "Waits for a restart: %s\n", path.c_str());
  std::fprintf(stderr, "Restart requested: %s\n", outcome.restartRequested ? "yes" : "no");
  summary = RemovalSummary{archive, pending, outcome.restartRequested};
  return pending.empty() ? kExitNothingFound : kExitWaitsForRestart;
}

}  // namespace

int ScanCommand(CliProgram& program, const ScanOptions& options) {
  platform::Machine& machine = program.machine;
  platform::OnConsoleInterrupt(OnInterrupt);

  std::mutex outputLock;  // keeps result lines and the progress line apart
  // Drawn only on a terminal: nothing of it reaches a pipe or a file.
  const bool live = platform::IsTerminal(platform::ConsoleStream::Error);
  ProgressLine progress(stderr, machine.Code());
  app::ScanEvents events;
  events.itemListed = [&](const scan::FoundItem& item) {
    // The digest of a file is taken before the lock, away from the progress line.
    const std::optional<Json> object =
        options.json ? std::optional(ListedItemJson(machine, item)) : std::nullopt;
    std::lock_guard guard(outputLock);
    progress.Clear();
    if (object) {
      WriteJsonLine(*object);
      return;
    }
    std::printf("%d\t%s\t%s\t%s\n", static_cast<int>(item.kind), scan::KindName(item.kind),
                item.entry->name.c_str(), item.text.c_str());
    std::fflush(stdout);
  };
  app::ScanSession session(machine, program.branding, program.resources, program.programFolder,
                           std::move(events));
  if (auto error = session.LoadDefinitions(); error != definitions::LoadError::None)
    return CannotRun(DatabaseProblem(error));
  session.RecordScanStart();

  scan::ScanEngine& engine = session.Engine();
  std::thread worker([&] { engine.RunScan(); });
  bool stopped = false;
  while (!engine.Finished()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (interrupted && !stopped) {
      stopped = true;
      session.Log().LogLine(kAbortedLine);
      engine.AbortScan();
    }
    if (live) {
      std::lock_guard guard(outputLock);
      PrintProgress(progress, engine);
    }
  }
  worker.join();
  progress.Clear();
  const int scanStatus = engine.Listed().empty() ? kExitNothingFound : kExitFound;
  int status = scanStatus;
  std::optional<RemovalSummary> removed;
  if (options.remove && !engine.Listed().empty() && !stopped) {
    YesPrompt yes;
    platform::ConsolePrompt console(std::cin, std::cerr,
                                    platform::IsTerminal(platform::ConsoleStream::Input));
    platform::Prompt& prompt = options.yes ? static_cast<platform::Prompt&>(yes) : console;
    status = Remove(program, session, prompt, scanStatus, options.json, removed);
  }
  session.Log().CloseSessionLog();
  if (options.json)
    WriteJsonLine(SummaryJson(machine.Code(), engine, session.Log().FilePath(),
                              removed ? &*removed : nullptr));
  PrintSummary(engine, session.Log().FilePath());
  return status;
}

}  // namespace cli
