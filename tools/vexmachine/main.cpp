// vexmachine: creates machine images and operates on them from the host.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "create_image.h"
#include "list_folder.h"
#include "platform/last_error.h"
#include "platform/machine.h"

namespace {

constexpr const char* kUsage =
    "usage: vexmachine create IMAGE [--user NAME]\n"
    "       vexmachine path IMAGE WINPATH [--short|--long]\n"
    "       vexmachine dir IMAGE WINPATH [--recursive]\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::unique_ptr<platform::Machine> OpenImage(const std::string& root) {
  std::string error;
  auto machine = platform::Machine::Open(root, &error);
  if (!machine) std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
  return machine;
}

int Create(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  vexmachine::ImageOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--user" && i + 1 < args.size()) {
      options.user = args[++i];
    } else {
      return Usage();
    }
  }
  std::string error = vexmachine::CreateImage(args[0], options);
  if (!error.empty()) {
    std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int Path(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  platform::Files& files = machine->files();
  std::string form = args.size() == 3 ? args[2] : "";
  if (form.empty()) {
    auto host = files.HostPathOf(args[1]);
    if (!host) {
      std::fprintf(stderr, "vexmachine: %s: not reachable (error %u)\n", args[1].c_str(),
                   platform::GetLastError());
      return 1;
    }
    std::printf("%s\n", host->c_str());
    return 0;
  }
  if (form != "--short" && form != "--long") return Usage();
  char buffer[platform::MAX_PATH * 4];
  platform::DWORD length = form == "--short"
                               ? files.GetShortPathNameA(args[1].c_str(), buffer, sizeof buffer)
                               : files.GetLongPathNameA(args[1].c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) {
    std::fprintf(stderr, "vexmachine: %s: not found (error %u)\n", args[1].c_str(),
                 platform::GetLastError());
    return 1;
  }
  std::printf("%s\n", buffer);
  return 0;
}

int Dir(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return Usage();
  bool recursive = args.size() == 3;
  if (recursive && args[2] != "--recursive") return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  vexmachine::ListingTotals totals;
  if (!vexmachine::ListFolder(machine->files(), args[1], recursive, stdout, totals)) {
    std::fprintf(stderr, "vexmachine: %s: cannot list (error %u)\n", args[1].c_str(),
                 platform::GetLastError());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "create") return Create(args);
  if (command == "path") return Path(args);
  if (command == "dir") return Dir(args);
  return Usage();
}
