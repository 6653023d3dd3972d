// What the hosts benchmarks share: a fresh machine image in the temporary folder, the host
// names of a large blocking list, and definitions whose spyware entries name given hosts.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "definitions/database_file.h"
#include "definitions/database_loader.h"
#include "platform/image/image_machine.h"
#include "vexmachine/create_image.h"

namespace hosts_bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline std::string Host(int i) {
  return "ads" + std::to_string(i * 7919 % 1000003) + ".tracker" + std::to_string(i % 97) +
         ".example";
}

// A new image named after the benchmark; empty when it cannot be made.
inline fs::path NewImage(const std::string& name) {
  const fs::path root = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
  vexmachine::ImageOptions options;
  if (std::string error = vexmachine::CreateImage(root.string(), options); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return {};
  }
  return root;
}

inline fs::path HostsFile(const fs::path& root) {
  return root / "drives" / "C" / "WINDOWS" / "system32" / "drivers" / "etc" / "hosts";
}

// Loads definitions of `entries` spyware entries, entry e naming hosts e, e + entries, ...;
// the hosts also go to the patterns file, one a line, for grep. False when they do not load.
inline bool LoadHostsDefinitions(platform::ImageMachine& machine,
                                 definitions::DefinitionDatabase& database,
                                 const std::vector<std::string>& hosts, std::size_t entries,
                                 const fs::path& patterns) {
  std::string text = "<NA VERSION=\"1\" DATE=\"d\">";
  std::ofstream out(patterns, std::ios::binary);
  for (std::size_t e = 0; e < entries; ++e) {
    text += "<SW NAME=\"Spy " + std::to_string(e) + "\"><HOSTS>";
    for (std::size_t t = e; t < hosts.size(); t += entries) {
      text += "<HOST NAME=\"" + hosts[t] + "\"/>";
      out << hosts[t] << "\n";
    }
    text += "</HOSTS></SW>";
  }
  text += "</NA>";
  definitions::DatabaseLoader loader(machine, "C:\\", database);
  if (loader.LoadBytes(definitions::PackDatabaseText(text))) return true;
  std::fprintf(stderr, "the generated definitions do not load\n");
  return false;
}

}  // namespace hosts_bench
