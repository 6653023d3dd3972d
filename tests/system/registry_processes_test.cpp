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
  Registry& registry = image.Machine().registry();
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

}  // namespace
