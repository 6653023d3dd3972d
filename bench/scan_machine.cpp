// A scan of a generated image of 100,000 files with 20,000 file rows, 5,000 folder rows and
// 10,000 registry traces, timed against "find" walking the same host tree in the same run;
// then the drive walk alone with 1,000, 5,000 and 20,000 file rows, to show how the cost
// grows with the size of the file table.
//   build/bench/scan_machine_bench
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench_row.h"
#include "definitions/database_file.h"
#include "definitions/database_loader.h"
#include "platform/image/image_machine.h"
#include "scan/scan_engine.h"
#include "vexmachine/create_image.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 1000, kFilesPerFolder = 100;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void MakeTree(const std::string& drive) {
  for (int folder = 0; folder < kFolders; ++folder) {
    const fs::path dir = fs::path(drive) / "Tree" / ("Group " + std::to_string(folder / 50)) /
                         ("Folder " + std::to_string(folder));
    fs::create_directories(dir);
    for (int file = 0; file < kFilesPerFolder; ++file)
      std::ofstream(dir / (file == 0 && folder % 100 == 7
                               ? "spy0.tmp"
                               : "Document " + std::to_string(file) + ".txt"))
          << "x";
  }
}

// Entries of 10 traces each kind; the rows name files and folders that mostly do not exist,
// plus a few that do, and a few wildcard rows.
std::string Definitions(int fileRows, int folderRows, int registryTraces) {
  std::string text = "<NA VERSION=\"1\" DATE=\"d\">";
  const int entries = 100;
  for (int e = 0; e < entries; ++e) {
    text += "<SW NAME=\"Spy " + std::to_string(e) + "\"><DIRECTORIES>";
    for (int i = e; i < folderRows; i += entries)
      text += "<DIR NAME=\"C:\\Tree\\Group " + std::to_string(i % 20) + "\\Spy Folder " +
              std::to_string(i) + "\"/>";
    text += "</DIRECTORIES><FILES>";
    for (int i = e; i < fileRows; i += entries) {
      if (i % 1000 == 7)
        text +=
            "<FILE PATH=\"C:\\Tree\\*\\Folder " + std::to_string(i % kFolders) + "\\spy*.tmp\"/>";
      else if (i % 1000 == 11)
        text += "<FILE NAME=\"*\\Tree\\Group 3\\Folder 150\\Document " + std::to_string(i % 100) +
                ".txt\"/>";
      else
        text += "<FILE NAME=\"spyfile" + std::to_string(i) + ".dll\"/>";
    }
    text += "</FILES><REGKEYS>";
    for (int i = e; i < registryTraces / 2; i += entries)
      text += "<REGKEY NAME=\"Software\\Spy" + std::to_string(i) + "\"/>";
    text += "</REGKEYS><REGVALUES>";
    for (int i = e; i < registryTraces / 2; i += entries)
      text += "<REGVALUE NAME=\"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\spy" +
              std::to_string(i) + "\"/>";
    text += "</REGVALUES></SW>";
  }
  return text + "</NA>";
}

// Scans with the given options and returns the seconds and the number of items found.
std::pair<double, int> Scan(platform::Machine& machine, int fileRows, int folderRows,
                            int registryTraces, bool registry) {
  definitions::DefinitionDatabase database;
  definitions::DatabaseLoader loader(machine, "C:\\", database);
  if (!loader.LoadBytes(
          definitions::PackDatabaseText(Definitions(fileRows, folderRows, registryTraces)))) {
    std::fprintf(stderr, "the generated definitions do not load\n");
    std::exit(1);
  }
  std::map<std::string, platform::DWORD> numbers = {{"Cust_Scan_Drives", 1},
                                                    {"Cust_Scan_Drives_Num", 1},
                                                    {"Cust_Scan_IEFAV", 1},
                                                    {"Cust_Scan_Registry", registry ? 1u : 0u}};
  scan::ScanHost host;
  host.logLine = [](const std::string&) {};
  host.readNumber = [&](const char* name) { return numbers.count(name) ? numbers[name] : 0; };
  host.readText = [](const char*) { return std::string("C:\\Tree"); };
  scan::ScanEngine engine(machine, database, host);
  const auto start = Clock::now();
  engine.RunScan();
  return {Seconds(start), engine.Counters().itemsFound.load()};
}

double FindSeconds(const std::string& tree) {
  const auto start = Clock::now();
  const std::string command = "find '" + tree + "' >/dev/null";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "find failed\n");
  return Seconds(start);
}

}  // namespace

int main() {
  const fs::path root =
      fs::temp_directory_path() / ("vexmarl-scan-bench-" + std::to_string(getpid()));
  vexmachine::ImageOptions options;
  if (std::string error = vexmachine::CreateImage(root.string(), options); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string drive = (root / "drives" / "C").string();
  MakeTree(drive);
  auto machine = platform::ImageMachine::Open(root.string());
  std::printf("tree: %d files in %d folders\n", kFolders * kFilesPerFolder, kFolders);

  FindSeconds(drive + "/Tree");  // warms the caches
  const double find = FindSeconds(drive + "/Tree");
  const auto [full, found] = Scan(*machine, 20000, 5000, 10000, true);
  std::printf(
      "find: %.3f s   scan (20,000 file rows, 5,000 folder rows, 10,000 registry "
      "traces): %.3f s, %d items   ratio scan/find: %.1f\n",
      find, full, found, full / find);
  PrintBenchRow("whole scan (100,000 files, 20,000 file rows)", full, "find", find, "2");

  double first = 0;
  for (int rows : {1000, 5000, 20000}) {
    const auto [seconds, items] = Scan(*machine, rows, 0, 0, false);
    if (rows == 1000) first = seconds;
    std::printf("drive walk with %5d file rows: %.3f s (%d items)   ratio to 1,000 rows: %.2f\n",
                rows, seconds, items, seconds / first);
  }
  machine.reset();
  fs::remove_all(root);
  return 0;
}
