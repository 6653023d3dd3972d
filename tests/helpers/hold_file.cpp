// Test helper: opens a file of an image through the layer, or creates a named mutex, and
// holds it until its standard input closes. Prints what happened first ("open", "created",
// "exists" or "error N"), so the test knows where it stands.
//   vexmarl_test_holder IMAGE WINPATH ACCESS SHARE   (numbers as in CreateFileA)
//   vexmarl_test_holder IMAGE mutex NAME
//   vexmarl_test_holder IMAGE spawn WINPATH...  (children that hold a mutex; prints their ids)
//   vexmarl_test_holder   (no arguments: appends "started" to IMAGE/started.txt and ends)
//   vexmarl_test_holder IMAGE window TITLE   (its procedure answers message 1231 with
//                                            wParam + lParam + 1000)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/handles.h"
#include "platform/image/image_machine.h"
#include "platform/image/image_messages.h"
#include "platform/last_error.h"

int main(int argc, char** argv) {
  // Started again by the program under test, without arguments: leave a mark in the image.
  if (argc == 1) {
    if (const char* image = std::getenv("VEXMARL_MACHINE"))
      if (std::FILE* mark = std::fopen((std::string(image) + "/started.txt").c_str(), "a")) {
        std::fputs("started\n", mark);
        std::fclose(mark);
      }
    return 0;
  }
  // Starts the programs (Windows paths) as children holding a mutex each, and waits.
  if (argc >= 4 && std::string(argv[2]) == "spawn") {
    auto machine = platform::ImageMachine::Open(argv[1]);
    if (!machine) return 2;
    std::string pids = "spawned";
    for (int i = 3; i < argc; ++i) {
      const std::string commandLine =
          "\"" + std::string(argv[i]) + "\" \"" + argv[1] + "\" mutex spawned-" + std::to_string(i);
      platform::HANDLE child = machine->shell().StartProgram(argv[i], commandLine, "");
      pids += " " + std::to_string(child ? machine->processes().GetProcessId(child) : 0);
    }
    std::printf("%s\n", pids.c_str());
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
  }
  if (argc == 4 && std::string(argv[2]) == "mutex") {
    auto image = platform::MachineImage::At(argv[1]);
    if (!image) return 2;
    platform::ImageMessages messages(*image);
    platform::HANDLE mutex = messages.CreateMutexA(nullptr, platform::TRUE, argv[3]);
    if (!mutex) {
      std::printf("error %u\n", platform::GetLastError());
      return 1;
    }
    std::printf(platform::GetLastError() == platform::ERROR_ALREADY_EXISTS ? "exists\n"
                                                                           : "created\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
  }
  if (argc == 4 && std::string(argv[2]) == "window") {
    using namespace platform;
    auto image = MachineImage::At(argv[1]);
    if (!image) return 2;
    ImageMessages messages(*image);
    HWND window =
        messages.CreateWindowA(argv[3], [&](HWND, UINT message, WPARAM w, LPARAM l) -> LRESULT {
          if (message == 1231) return static_cast<LRESULT>(w) + l + 1000;
          if (message == WM_CLOSE) messages.PostQuitMessage(0);
          return 0;
        });
    std::printf("ready\n");
    std::fflush(stdout);
    std::thread closer([&] {
      while (std::getchar() != EOF) {
      }
      messages.PostMessageA(window, WM_CLOSE, 0, 0);
    });
    MSG message;
    while (messages.GetMessageA(&message, nullptr, 0, 0)) messages.DispatchMessageA(&message);
    closer.join();
    messages.DestroyWindow(window);
    return 0;
  }
  if (argc != 5) return 2;
  auto machine = platform::ImageMachine::Open(argv[1]);
  if (!machine) return 2;
  auto access = static_cast<platform::DWORD>(std::strtoul(argv[3], nullptr, 0));
  auto share = static_cast<platform::DWORD>(std::strtoul(argv[4], nullptr, 0));
  platform::HANDLE file = machine->files().CreateFileA(argv[2], access, share, nullptr,
                                                       platform::OPEN_ALWAYS, 0, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) {
    std::printf("error %u\n", platform::GetLastError());
    return 1;
  }
  std::printf("open\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  platform::CloseHandle(file);
  return 0;
}
