// The hosts entries of a removal: a run that removes 4,000 found entries from a hosts file of
// 200,000 lines (tabs, IPv6, comments, loopback lines, CR LF and LF line ends), timed against
// one `grep -v -F -f` of the same texts over the same file in the same run (best of three
// each); the two results must be the same bytes. Then, for comparison, one rewrite per entry
// as removal did before, timed over a few entries.
//   build/bench/hosts_removal_bench
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_row.h"
#include "hosts_bench_image.h"
#include "platform/prompt.h"
#include "removal/removal_engine.h"
#include "scan/scan_engine.h"

namespace {

using namespace hosts_bench;

constexpr int kLines = 200000, kFound = 4000, kEntries = 40, kRounds = 3, kAlone = 20;

// A line of a large blocking list: mostly "0.0.0.0" and "127.0.0.1" mappings, some with
// tabs, IPv6 and comments; every seventh ends in LF alone, the others in CR LF.
std::string Line(int i) {
  std::string line;
  if (i % 50 == 0) {
    line = "127.0.0.1\tlocal" + std::to_string(i) + ".lan";
  } else if (i % 101 == 0) {
    line = "# " + Host(i) + " blocked since 2004";
  } else if (i % 13 == 0) {
    line = "::1\t" + Host(i) + "\t# IPv6";
  } else if (i % 5 == 0) {
    line = "0.0.0.0\t" + Host(i);
  } else {
    line = "0.0.0.0 " + Host(i);
  }
  return line + (i % 7 == 0 ? "\n" : "\r\n");
}

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main() {
  const fs::path root = NewImage("vexmarl-hosts-removal-bench");
  if (root.empty()) return 1;
  const fs::path hosts = HostsFile(root);
  std::string original;
  for (int i = 0; i < kLines; ++i) original += Line(i);
  // The found texts: hosts of 4,000 ordinary lines spread over the file, a hundred for each
  // of 40 spyware entries.
  std::vector<std::string> found;
  for (int n = 0; static_cast<int>(found.size()) < kFound; ++n) {
    const int i = static_cast<int>((static_cast<long long>(n) * 48611 + 1) % kLines);
    if (i % 50 != 0) found.push_back(Host(i));
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  const fs::path patterns = root / "patterns.txt";
  auto machine = platform::ImageMachine::Open(root.string());
  definitions::DefinitionDatabase database;
  if (!LoadHostsDefinitions(*machine, database, found, kEntries, patterns)) return 1;
  scan::ScanHost scanHost;
  scanHost.logLine = [](const std::string&) {};
  scanHost.readNumber = [](const char*) -> platform::DWORD { return 0; };
  scanHost.readText = [](const char*) { return std::string(); };
  std::vector<std::string> log;
  platform::ScriptedPrompt prompt;
  removal::RemovalHost host;
  host.logLine = [&log](const std::string& line) { log.push_back(line); };
  host.readNumber = [](const char*) -> platform::DWORD { return 0; };
  host.writeNumber = [](const char*, platform::DWORD) {};
  host.readText = [](const char*) { return std::string(); };
  host.writeText = [](const char*, const std::string&) {};
  host.resourceText = [](unsigned) { return std::string("%d"); };
  host.prompt = &prompt;
  host.appName = "Vexmarl";
  host.programFolder = "C:\\Vexmarl\\";

  const fs::path grepOutput = root / "grep-output";
  const std::string grep = "grep -v -F -f '" + patterns.string() + "' '" + hosts.string() + "' >'" +
                           grepOutput.string() + "'";
  double ours = 1e9, baseline = 1e9;
  std::size_t removedLines = 0;
  int successLines = 0;
  std::string after;
  for (int round = 0; round < kRounds; ++round) {
    std::ofstream(hosts, std::ios::binary | std::ios::trunc) << original;
    auto start = Clock::now();
    if (std::system(grep.c_str()) < 0) std::fprintf(stderr, "grep failed\n");
    baseline = std::min(baseline, Seconds(start));

    scan::ScanEngine scanEngine(*machine, database, scanHost);
    scanEngine.Hosts().BuildHostsFileSet();
    removal::RemovalEngine engine(*machine, scanEngine, database, host);
    std::vector<removal::ResultRow> rows;
    for (const auto& entry : database.Entries())
      for (const auto& trace : entry->hosts)
        rows.push_back(
            {scan::FoundItem{false, trace.host, entry.get(), scan::FoundItemKind::HostsEntry},
             true});
    log.clear();
    start = Clock::now();
    const removal::RemovalOutcome outcome = engine.RunRemoval(rows);
    ours = std::min(ours, Seconds(start));
    successLines = static_cast<int>(std::count_if(log.begin(), log.end(), [](const auto& line) {
      return line.find("RESULT = \"Successfully Removed\"") != std::string::npos;
    }));
    if (outcome.removed != static_cast<int>(found.size())) {
      std::fprintf(stderr, "%d rows removed of %zu\n", outcome.removed, found.size());
      return 1;
    }
    after = ReadHostFile(hosts);
    removedLines = static_cast<std::size_t>(std::count(original.begin(), original.end(), '\n') -
                                            std::count(after.begin(), after.end(), '\n'));
  }
  const bool same = after == ReadHostFile(grepOutput);
  std::printf(
      "removal run: %.3f s, %zu entries (%d logged as removed), %zu lines gone   "
      "grep -v -F -f: %.3f s   ratio: %.2f   same bytes as grep: %s\n",
      ours, found.size(), successLines, removedLines, baseline, ours / baseline,
      same ? "yes" : "NO");
  if (!same || successLines != static_cast<int>(found.size())) return 1;
  PrintBenchRow("hosts removal (4,000 entries, 200,000 lines)", ours, "grep -v -F -f", baseline,
                "3");

  // One rewrite per entry, as removal did before: a few entries, then what 4,000 would take.
  std::ofstream(hosts, std::ios::binary | std::ios::trunc) << original;
  scan::HostsFiles files(*machine);
  files.BuildHostsFileSet();
  const auto start = Clock::now();
  for (int i = 0; i < kAlone; ++i) files.RemoveHostsEntry(found[i]);
  const double each = Seconds(start) / kAlone;
  std::printf("one rewrite per entry: %.4f s each, so %.1f s for %zu entries (%.0f times grep)\n",
              each, each * found.size(), found.size(), each * found.size() / baseline);
  machine.reset();
  fs::remove_all(root);
  return 0;
}
