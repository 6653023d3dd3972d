// Brand names of any bytes, as a settings file may give them, name the session log: its file is
// always made inside the Logs folder and keeps the logged line, and the archive that would
// mail it lies beside it and replaces nothing.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "foundation/whole_file.h"
#include "fuzz_machine.h"
#include "log/log_archive.h"
#include "log/session_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& scratch = FuzzMachine::Shared();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\n');
  logging::SessionLogSource source;
  source.appName = input.substr(0, cut);
  source.programFolder = "C:\\Vexmarl\\";
  source.now = [] { return std::time_t{1165528845}; };
  const std::string line = cut == std::string::npos ? "line" : input.substr(cut + 1);
  const std::string logs = "C:\\Vexmarl\\Logs";
  std::string path;
  {
    logging::SessionLog log(*scratch.machine, source);
    log.LogLine(line);
    if (!log.IsOpen()) __builtin_trap();  // the line was lost
    path = log.FilePath();
    log.CloseSessionLog();
  }
  if (path.rfind('\\') != logs.size()) __builtin_trap();
  platform::Files& files = scratch.machine->files();
  const auto text = foundation::ReadWholeFile(files, path);
  if (!text || text->find(line + "\n") == std::string::npos) __builtin_trap();
  const std::string archive = logging::ArchivePathFor(files, {path}, logs);
  if (archive.rfind('\\') != logs.size() || archive == path ||
      files.GetFileAttributesA(archive.c_str()) != platform::INVALID_FILE_ATTRIBUTES)
    __builtin_trap();
  std::filesystem::remove_all(scratch.root + "/drives/C/Vexmarl");
  return 0;
}
