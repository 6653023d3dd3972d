// Opens plus value queries on a registry of 100,000 keys, against an std::unordered_map lookup
// of the same lower-cased paths (the cost of the registry layer next to memory), and against
// a plain SQLite lookup of the same rows in the same database (what reads cost without the
// layer's index).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/image/image_registry.h"
#include "ratio_reporter.h"

namespace {

using namespace platform;

constexpr int kGroups = 100, kKeysPerGroup = 1000;

struct BenchRegistry {
  std::string folder;
  std::unique_ptr<ImageRegistry> registry;
  std::vector<std::string> paths;  // below HKEY_LOCAL_MACHINE

  BenchRegistry() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vexmarl-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    registry = ImageRegistry::Open(folder + "/registry.db", 1252);
    ImageRegistry::Transaction transaction(*registry);
    for (int group = 0; group < kGroups; ++group) {
      for (int key = 0; key < kKeysPerGroup; ++key) {
        char path[96];
        std::snprintf(path, sizeof path, "SOFTWARE\\Bench\\Group%03d\\Key%05d", group, key);
        paths.push_back(path);
        HKEY handle;
        registry->RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle, nullptr);
        std::string data = "value of " + std::string(path);
        registry->RegSetValueExA(handle, "Data", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1));
        registry->RegCloseKey(handle);
      }
    }
    transaction.Commit();
  }
  ~BenchRegistry() {
    registry.reset();
    std::filesystem::remove_all(folder);
  }
};

BenchRegistry& Shared() {
  static BenchRegistry shared;
  return shared;
}

// A fixed spread of keys, the same for both benchmarks.
std::size_t Pick(std::size_t iteration) {
  return (iteration * 7919) % (kGroups * kKeysPerGroup);
}

void RegistryOpenAndQuery(benchmark::State& state) {
  BenchRegistry& bench = Shared();
  std::size_t iteration = 0;
  for (auto _ : state) {
    HKEY key;
    if (bench.registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, bench.paths[Pick(iteration++)].c_str(), 0,
                                      KEY_READ, &key) != ERROR_SUCCESS)
      state.SkipWithError("open failed");
    char data[128];
    DWORD size = sizeof data;
    if (bench.registry->RegQueryValueExA(key, "Data", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
      state.SkipWithError("query failed");
    benchmark::DoNotOptimize(data);
    bench.registry->RegCloseKey(key);
  }
  state.SetItemsProcessed(state.iterations());
}

void PlainSqliteLookup(benchmark::State& state) {
  BenchRegistry& bench = Shared();
  sqlite3* database = nullptr;
  sqlite3_open_v2((bench.folder + "/registry.db").c_str(), &database, SQLITE_OPEN_READONLY,
                  nullptr);
  sqlite3_stmt *child, *value;
  sqlite3_prepare_v2(database, "SELECT id FROM keys WHERE parent=? AND lower=?", -1, &child,
                     nullptr);
  sqlite3_prepare_v2(database, "SELECT type, data FROM vals WHERE key=? AND lower=?", -1, &value,
                     nullptr);
  std::size_t iteration = 0;
  for (auto _ : state) {
    const std::string& path = bench.paths[Pick(iteration++)];
    sqlite3_int64 id = 1;  // HKEY_LOCAL_MACHINE
    std::size_t start = 0;
    while (start < path.size()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      std::string lower = path.substr(start, end - start);
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      sqlite3_bind_int64(child, 1, id);
      sqlite3_bind_text(child, 2, lower.data(), static_cast<int>(lower.size()), SQLITE_TRANSIENT);
      if (sqlite3_step(child) != SQLITE_ROW) state.SkipWithError("row missing");
      id = sqlite3_column_int64(child, 0);
      sqlite3_reset(child);
      start = end + 1;
    }
    sqlite3_bind_int64(value, 1, id);
    sqlite3_bind_text(value, 2, "data", 4, SQLITE_STATIC);
    if (sqlite3_step(value) != SQLITE_ROW) state.SkipWithError("value missing");
    benchmark::DoNotOptimize(sqlite3_column_blob(value, 1));
    sqlite3_reset(value);
  }
  state.SetItemsProcessed(state.iterations());
  sqlite3_finalize(child);
  sqlite3_finalize(value);
  sqlite3_close(database);
}

// The same paths lower-cased, as every lookup of the registry must, then found in memory.
void UnorderedMapLookup(benchmark::State& state) {
  BenchRegistry& bench = Shared();
  std::unordered_map<std::string, std::string> values;
  for (const std::string& path : bench.paths) {
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    values.emplace(lower, "value of " + path);
  }
  std::size_t iteration = 0;
  for (auto _ : state) {
    std::string lower = bench.paths[Pick(iteration++)];
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto found = values.find(lower);
    if (found == values.end()) state.SkipWithError("path missing");
    benchmark::DoNotOptimize(found->second.data());
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(UnorderedMapLookup);
BENCHMARK(PlainSqliteLookup);
BENCHMARK(RegistryOpenAndQuery);

// Also prints the registry's rate, which has an aim of its own.
class RegistryReporter : public RatioReporter {
 public:
  RegistryReporter() : RatioReporter("RegistryOpenAndQuery", "UnorderedMapLookup", "5") {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.iterations > 0)
        seconds_[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
    RatioReporter::ReportRuns(runs);
  }
  void Finalize() override {
    RatioReporter::Finalize();
    const double registry = seconds_["RegistryOpenAndQuery"],
                 sqlite = seconds_["PlainSqliteLookup"];
    if (registry > 0 && sqlite > 0) {
      PrintBenchRow("RegistryOpenAndQuery", registry, "PlainSqliteLookup", sqlite, "-");
      std::printf("BENCH|registry open+query per second|%.0f|-|-|-|200000 or more\n", 1 / registry);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RegistryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
