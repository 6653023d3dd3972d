// Quarantining 1,000 files totalling 200 MiB into one archive, and restoring that archive,
// each timed against "cp -r" of the same files in the same run (best of three each).
//   build/bench/quarantine_bench
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_row.h"
#include "platform/image/image_machine.h"
#include "removal/quarantine_archive.h"
#include "removal/quarantine_run.h"
#include "vexmachine/create_image.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 1000;
constexpr std::size_t kTotalBytes = std::size_t{200} << 20;
constexpr int kRounds = 3;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double CopySeconds(const std::string& from, const std::string& to) {
  fs::remove_all(to);
  const auto start = Clock::now();
  const std::string command = "cp -r '" + from + "' '" + to + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cp failed\n");
  return Seconds(start);
}

}  // namespace

int main() {
  const fs::path root =
      fs::temp_directory_path() / ("vexmarl-quarantine-bench-" + std::to_string(getpid()));
  vexmachine::ImageOptions options;
  options.programsFolder = SYSTEM_PROGRAMS_DIR;
  if (std::string error = vexmachine::CreateImage(root.string(), options); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const fs::path drive = root / "drives" / "C";
  fs::create_directories(drive / "Spy");
  definitions::SpywareEntry entry;
  entry.name = "Spy";
  std::vector<scan::FoundItem> items;
  std::string block(kTotalBytes / kFiles, '\0');
  for (int i = 0; i < kFiles; ++i) {
    for (std::size_t j = 0; j < block.size(); j += 64) block[j] = static_cast<char>(i + j);
    const std::string name = "file" + std::to_string(i) + ".bin";
    std::ofstream(drive / "Spy" / name, std::ios::binary) << block;
    items.push_back({true, "C:\\Spy\\" + name, &entry, scan::FoundItemKind::File});
  }
  auto machine = platform::ImageMachine::Open(root.string());
  std::printf("%d files, %zu MiB\n", kFiles, kTotalBytes >> 20);

  double copy = 1e9, quarantine = 1e9, restore = 1e9;
  std::string archive;
  for (int round = 0; round < kRounds; ++round) {
    copy = std::min(copy, CopySeconds((drive / "Spy").string(), (drive / "Copy").string()));
    if (!archive.empty()) machine->files().DeleteFileA(archive.c_str());
    removal::QuarantineStep step{*machine, "C:\\Vexmarl\\", [](const std::string&) {}, {}};
    auto start = Clock::now();
    if (!removal::QuarantineRun(step, items, &archive)) {
      std::fprintf(stderr, "the quarantine step failed\n");
      return 1;
    }
    quarantine = std::min(quarantine, Seconds(start));
    start = Clock::now();
    if (!removal::RestoreArchive(*machine, archive)) {
      std::fprintf(stderr, "the restore failed\n");
      return 1;
    }
    restore = std::min(restore, Seconds(start));
  }
  std::printf("cp -r: %.3f s   quarantine: %.3f s   ratio quarantine/cp: %.2f\n", copy, quarantine,
              quarantine / copy);
  std::printf("cp -r: %.3f s   restore: %.3f s   ratio restore/cp: %.2f\n", copy, restore,
              restore / copy);
  PrintBenchRow("quarantine 1,000 files, 200 MiB", quarantine, "cp -r", copy, "1.25");
  PrintBenchRow("restore of that archive", restore, "cp -r", copy, "1.25");
  machine.reset();
  fs::remove_all(root);
  return 0;
}
