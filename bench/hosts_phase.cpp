// The hosts phase: 4,000 HOST traces (2,000 of them present) against a hosts file of 100,000
// lines, timed against `grep -F -f` of the same texts over the same file's non-loopback
// lines in the same run (best of three each).
//   build/bench/hosts_phase_bench
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_row.h"
#include "hosts_bench_image.h"
#include "scan/scan_engine.h"

namespace {

using namespace hosts_bench;

constexpr int kLines = 100000, kTraces = 4000, kRounds = 3;

}  // namespace

int main() {
  const fs::path root = NewImage("vexmarl-hosts-bench");
  if (root.empty()) return 1;
  const fs::path hosts = HostsFile(root);
  {
    std::ofstream out(hosts, std::ios::binary);
    for (int i = 0; i < kLines; ++i)
      out << (i % 50 == 0 ? "127.0.0.1 local" + std::to_string(i) : "0.0.0.0 " + Host(i)) << "\r\n";
  }
  // Every other trace names a host of the file; the rest name none.
  std::vector<std::string> traces;
  for (int t = 0; t < kTraces; ++t)
    traces.push_back(t % 2 ? Host(t * 17 % kLines + 1) : "absent" + std::to_string(t) + ".example");
  const fs::path patterns = root / "patterns.txt";
  auto machine = platform::ImageMachine::Open(root.string());
  definitions::DefinitionDatabase database;
  if (!LoadHostsDefinitions(*machine, database, traces, 40, patterns)) return 1;
  scan::ScanHost host;
  host.logLine = [](const std::string&) {};
  host.readNumber = [](const char* name) -> platform::DWORD {
    return std::string(name) == "Cust_Scan_Hosts" ? 1 : 0;
  };
  host.readText = [](const char*) { return std::string(); };
  const std::string grep = "grep -v '^[[:space:]]*127\\.' '" + hosts.string() +
                           "' | grep -c -F -f '" + patterns.string() + "' >/dev/null";
  double ours = 1e9, baseline = 1e9;
  int found = 0;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    if (std::system(grep.c_str()) < 0) std::fprintf(stderr, "grep failed\n");
    baseline = std::min(baseline, Seconds(start));
    scan::ScanEngine engine(*machine, database, host);
    start = Clock::now();
    engine.RunScan();
    ours = std::min(ours, Seconds(start));
    found = engine.Counters().keysAndHostsFound;
  }
  std::printf("hosts phase: %.3f s, %d traces found   grep -F -f: %.3f s   ratio: %.2f\n", ours,
              found, baseline, ours / baseline);
  PrintBenchRow("hosts phase (4,000 traces, 100,000 lines)", ours, "grep -F -f", baseline, "3");
  // For comparison, each trace searched on its own as the phase did before.
  scan::HostsFiles files(*machine);
  files.BuildHostsFileSet();
  const auto start = Clock::now();
  int alone = 0;
  for (const auto& entry : database.Entries())
    for (const auto& trace : entry->hosts) alone += files.HostsContains(trace.host);
  std::printf("each trace alone: %.3f s (%d present)   ratio to grep: %.1f\n", Seconds(start),
              alone, Seconds(start) / baseline);
  machine.reset();
  fs::remove_all(root);
  return 0;
}
