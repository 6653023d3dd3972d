// Several processes on one image at once: a scan while the registry editor imports a large
// file and another process writes the program's settings. Everything ends, nothing written is
// lost, and the registry stays whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "support/installed_program.h"

namespace {

using testing_support::TempImage;

pid_t Start(const std::vector<std::string>& arguments, const std::string& image) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("VEXMARL_MACHINE", image.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// The child's exit status, or -1 when it did not end within the time.
int WaitFor(pid_t child, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Value(platform::Registry& registry, const char* key, const std::string& name) {
  platform::HKEY handle = nullptr;
  if (registry.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, key, 0, platform::KEY_READ, &handle) !=
      platform::ERROR_SUCCESS)
    return "<no key>";
  char data[256] = {};
  platform::DWORD size = sizeof data - 1;
  const bool found = registry.RegQueryValueExA(handle, name.c_str(), nullptr, nullptr,
                                               reinterpret_cast<platform::BYTE*>(data),
                                               &size) == platform::ERROR_SUCCESS;
  registry.RegCloseKey(handle);
  return found ? std::string(data, strnlen(data, size)) : "<no value>";
}

TEST(ConcurrencyTest, AScanAnImportAndSettingsWritesOnOneImageLoseNothing) {
  TempImage image("xp");
  ASSERT_TRUE(testing_support::InstallProgram(image));
  std::string text = "REGEDIT4\r\n\r\n";
  for (int key = 0; key < 2000; ++key) {
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported\\Key" + std::to_string(key) + "]\r\n";
    text += "\"Value\"=\"" + std::to_string(key) + "\"\r\n\r\n";
  }
  image.WriteFile("C:\\big.reg", text);
  const auto program = image.Files().HostPathOf("C:\\Program Files\\Vexmarl\\vexmarl-cli.exe");
  ASSERT_TRUE(program);
  const std::string root = image.Root();
  const pid_t import = Start({REGEDIT_PROGRAM, "/s", "C:\\big.reg"}, root);
  const pid_t writer =
      Start({VEXMARL_TEST_REGISTRY_WRITER, root, "SOFTWARE\\Vexmarl", "Concurrent", "300"}, root);
  const pid_t scan = Start({*program, "scan"}, root);
  EXPECT_EQ(WaitFor(import, std::chrono::seconds(60)), 0);
  EXPECT_EQ(WaitFor(writer, std::chrono::seconds(60)), 0);
  EXPECT_GE(WaitFor(scan, std::chrono::seconds(60)), 0);  // 0 or 1: it ended

  platform::ImageRegistry& registry = image.Machine().registry();
  for (int key : {0, 999, 1999})
    EXPECT_EQ(Value(registry, ("SOFTWARE\\Imported\\Key" + std::to_string(key)).c_str(), "Value"),
              std::to_string(key));
  int written = 0;
  for (int value = 0; value < 300; ++value)
    if (Value(registry, "SOFTWARE\\Vexmarl", "Concurrent" + std::to_string(value)) != "<no value>")
      ++written;
  EXPECT_EQ(written, 300);
  EXPECT_EQ(testing_support::RegistryIntegrity(root), "ok");
}

}  // namespace
