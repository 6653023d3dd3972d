// Test helper, installed into images as a Windows program: writes what it was started with
// (its Windows command line, its arguments, its machine and its current folder) into
// "echo.txt" of its current folder, one item a line.
#include <string>

#include "foundation/whole_file.h"
#include "platform/image/image_machine.h"

int main(int argc, char** argv) {
  auto machine = platform::ImageMachine::OfThisProcess();
  if (!machine) return 2;
  std::string report = platform::GetCommandLineA() + "\n";
  for (int i = 1; i < argc; ++i) report += std::string("arg:") + argv[i] + "\n";
  char current[platform::MAX_PATH];
  machine->files().GetCurrentDirectoryA(sizeof current, current);
  report += std::string("machine:") + machine->Image().Root() + "\n";
  report += std::string("folder:") + current + "\n";
  report += "SystemRoot:" + machine->system().EnvironmentVariable("SystemRoot").value_or("") + "\n";
  return foundation::WriteWholeFile(machine->files(), "echo.txt", report) ? 0 : 1;
}
