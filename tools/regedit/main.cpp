// regedit.exe of a machine image: imports and exports registry-editor text.
//   regedit [/s | /si] FILE       import FILE (silently with /s or /si)
//   regedit /e FILE [KEY]         export KEY (or the whole registry) to FILE
//   regedit /a FILE [KEY]         the same with the "REGEDIT4" banner
// FILE is a path of the machine (relative to the current folder).
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/whole_file.h"
#include "platform/image/image_machine.h"
#include "registry_io.h"

namespace {

using namespace platform;

int Usage() {
  std::fputs("usage: regedit [/s] FILE | regedit /e FILE [KEY] | regedit /a FILE [KEY]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  std::string error;
  auto machine = ImageMachine::OfThisProcess(&error);
  if (!machine) {
    std::fprintf(stderr, "regedit: %s\n", error.c_str());
    return 1;
  }
  std::string option = args[0];
  for (char& c : option) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (option == "/e" || option == "-e" || option == "/a" || option == "-a") {
    if (args.size() < 2 || args.size() > 3) return Usage();
    std::string text;
    if (!regedit::ExportRegistryText(machine->registry(), args.size() == 3 ? args[2] : "",
                                     option[1] == 'a', text, error)) {
      std::fprintf(stderr, "regedit: cannot export: %s\n", error.c_str());
      return 1;
    }
    if (!foundation::WriteWholeFile(machine->files(), args[1], text)) {
      std::fprintf(stderr, "regedit: cannot write %s (error %u)\n", args[1].c_str(),
                   GetLastError());
      return 1;
    }
    return 0;
  }
  bool silent = option == "/s" || option == "-s" || option == "/si" || option == "-si";
  if (silent ? args.size() < 2 : args.empty()) return Usage();
  // The file is the rest of the command line, quoted or not: a path with blanks given
  // without quotes arrives in pieces and is joined again.
  std::string file;
  for (std::size_t i = silent ? 1 : 0; i < args.size(); ++i)
    file += (file.empty() ? "" : " ") + args[i];
  auto text = foundation::ReadWholeFile(machine->files(), file);
  if (!text) {
    std::fprintf(stderr, "regedit: cannot open %s (error %u)\n", file.c_str(), GetLastError());
    return 1;
  }
  if (!regedit::ImportRegistryText(machine->registry(), *text, error)) {
    std::fprintf(stderr, "regedit: cannot import %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  if (!silent)
    // The confirmation box of the system's editor; standard output stays for exported text.
    std::fprintf(stderr, "The keys and values in %s have been entered into the registry.\n",
                 file.c_str());
  return 0;
}
