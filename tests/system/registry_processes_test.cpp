// Several processes writing one image's registry at the same time.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/temp_image.h"

extern char** environ;

namespace {

using namespace platform;
using testing_support::TempImage;

pid_t StartWriter(const std::string& image, const char* prefix, int count) {
  std::string countText = std::to_string(count);
  const char* argv[] = {VEXMARL_TEST_REGISTRY_WRITER,
                        image.c_str(),
                        "SOFTWARE\\Race",
                        prefix,
                        countText.c_str(),
                        nullptr};
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  return pid;
}

TEST(RegistryProcesses, ConcurrentWritersLoseNothing) {
  TempImage image;
  constexpr int kCount = 300;
  std::vector<pid_t> writers = {StartWriter(image.Root(), "first", kCount),
                                StartWriter(image.Root(), "second", kCount),
                                StartWriter(image.Root(), "third", kCount)};
  for (pid_t pid : writers) {
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ImageRegistry& registry = image.Machine().registry();
  HKEY key;
  ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Race", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD values = 0;
  ASSERT_EQ(registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 3u * kCount);
  DWORD data = 0, size = sizeof data;
  EXPECT_EQ(registry.RegQueryValueExA(key, "second299", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(data, 299u);
  registry.RegCloseKey(key);
}

// Another process adds values and a sub key while this one holds the key open and enumerates
// it: the counts only grow, every value counted can be read at its index, and at the end all
// are there.
TEST(RegistryProcesses, AKeyHeldOpenSeesAnotherProcesssWritesWhileItEnumerates) {
  TempImage image;
  ImageRegistry& registry = image.Machine().registry();
  HKEY key;
  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Race", 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  constexpr DWORD kCount = 200;
  const pid_t writer = StartWriter(image.Root(), "late", kCount);
  const pid_t subKeyWriter = [&] {
    const char* argv[] = {VEXMARL_TEST_REGISTRY_WRITER,
                          image.Root().c_str(),
                          "SOFTWARE\\Race\\Sub",
                          "sub",
                          "1",
                          nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    return pid;
  }();
  DWORD seen = 0;
  int status = -1;
  auto count = [&] {
    DWORD values = 0;
    EXPECT_EQ(registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    return values;
  };
  for (bool running = true; running;) {
    running = waitpid(writer, &status, WNOHANG) == 0;
    const DWORD values = count();
    EXPECT_GE(values, seen);
    seen = values;
    if (values == 0) continue;
    char name[64];
    DWORD length = sizeof name;
    ASSERT_EQ(
        registry.RegEnumValueA(key, values - 1, name, &length, nullptr, nullptr, nullptr, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "late" + std::to_string(values - 1));
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  waitpid(subKeyWriter, &status, 0);
  EXPECT_EQ(count(), kCount);
  char name[64];
  EXPECT_EQ(registry.RegEnumKeyA(key, 0, name, sizeof name), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name), "Sub");
  registry.RegCloseKey(key);
}

}  // namespace
