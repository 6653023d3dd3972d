// vexmarl-cli scan: a scan as the start page starts it, its listed items on standard output.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "app/scan_session.h"
#include "cli/cli_program.h"

namespace cli {
namespace {

constexpr int kNothingListed = 0, kSomethingListed = 1;

constexpr const char* kAbortedLine = "<Information Message = \"Scan Aborted by User\"/>";

// Set by Ctrl-C; the scan is stopped from the main loop as the stop button stops it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) {
  interrupted = true;
}

std::string DatabaseProblem(definitions::LoadError error) {
  if (error == definitions::LoadError::Missing)
    return "no definitions database: database.db is missing from the program folder";
  return std::string("the definitions database cannot be read: ") +
         definitions::DescribeLoadError(error);
}

void PrintProgress(scan::ScanEngine& engine) {
  const scan::ScanCounters& counters = engine.Counters();
  std::string item = engine.GetItemText();
  if (item.size() > 48) item = "..." + item.substr(item.size() - 45);
  std::fprintf(stderr, "\r\033[K%s | %s | examined %d, found %d, listed %d",
               engine.GetPhaseText().c_str(), item.c_str(), counters.objectsExamined.load(),
               counters.itemsFound.load(), counters.itemsListed.load());
  std::fflush(stderr);
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

}  // namespace

int ScanCommand(CliProgram& program) {
  platform::Machine& machine = program.machine;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);

  std::mutex outputLock;  // keeps result lines and the progress line apart
  const bool live = isatty(STDERR_FILENO);
  app::ScanEvents events;
  events.itemListed = [&](const scan::FoundItem& item) {
    std::lock_guard guard(outputLock);
    if (live) std::fputs("\r\033[K", stderr);
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
      PrintProgress(engine);
    }
  }
  worker.join();
  if (live) std::fputs("\r\033[K", stderr);
  session.Log().CloseSessionLog();
  PrintSummary(engine, session.Log().FilePath());
  return engine.Listed().empty() ? kNothingListed : kSomethingListed;
}

}  // namespace cli
