// Starting programs and opening documents through the shell of an image.
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

TEST(Shell, CommandLinesSplitByTheWindowsRules) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine("a  b\tc"), (Words{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" -s"),
            (Words{"C:\\Program Files\\x.exe", "-s"}));
  EXPECT_EQ(SplitCommandLine("a\\\\b \"c\\\"d\" e\\\\\\\"f"), (Words{"a\\\\b", "c\"d", "e\\\"f"}));
  EXPECT_EQ(SplitCommandLine("\"ends with\\\\\" x"), (Words{"ends with\\", "x"}));
  EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\""), (Words{"say \"hi\""}));
  EXPECT_EQ(SplitCommandLine("   "), Words{});
}

class ShellTest : public ::testing::Test {
 protected:
  void Install(const std::string& source, const std::string& relative) {
    const std::string target = image_.HostPath(relative);
    std::filesystem::create_directories(std::filesystem::path(target).parent_path());
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
  }

  HANDLE Run(SHELLEXECUTEINFOA& info) {
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    EXPECT_TRUE(image_.Machine().shell().ShellExecuteExA(&info))
        << "result " << reinterpret_cast<std::uintptr_t>(info.hInstApp);
    if (info.hProcess) {
      EXPECT_EQ(image_.Machine().processes().WaitForSingleObject(info.hProcess, 10000),
                WAIT_OBJECT_0);
    }
    return info.hProcess;
  }

  TempImage image_{"xp"};
};

TEST_F(ShellTest, AProgramOnThePathGetsItsCommandLineEnvironmentAndFolder) {
  Install(VEXMARL_TEST_ECHO, "Tools/echo.exe");
  ASSERT_TRUE(image_.Files().CreateDirectoryA("C:\\Work", nullptr));
  HKEY environment;
  ASSERT_EQ(image_.Machine().registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0,
                                                      KEY_ALL_ACCESS, &environment),
            ERROR_SUCCESS);
  image_.Machine().registry().RegSetValueExA(environment, "Path", 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>("C:\\Tools"), 9);
  image_.Machine().registry().RegCloseKey(environment);

  SHELLEXECUTEINFOA info;
  info.lpFile = "echo";
  info.lpParameters = "one \"two words\" three\\\"q";
  info.lpDirectory = "C:\\Work";
  HANDLE process = Run(info);
  ASSERT_NE(process, nullptr);
  CloseHandle(process);
  EXPECT_EQ(image_.ReadFile("C:\\Work\\echo.txt"),
            "\"C:\\Tools\\echo.exe\" one \"two words\" three\\\"q\n"
            "arg:one\narg:two words\narg:three\"q\n"
            "machine:" +
                image_.Machine().Image().Root() +
                "\n"
                "folder:C:\\Work\n"
                "SystemRoot:C:\\WINDOWS\n");
}

TEST_F(ShellTest, ARegistryFileOpensInTheImagesRegistryEditor) {
  Install(REGEDIT_PROGRAM, "WINDOWS/regedit.exe");
  image_.WriteFile(
      "C:\\Documents and Settings\\User\\My Documents\\fix.reg",
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Opened]\r\n\"By\"=\"shell\"\r\n");
  SHELLEXECUTEINFOA info;
  info.lpFile = "C:\\Documents and Settings\\User\\My Documents\\fix.reg";
  HANDLE process = Run(info);
  ASSERT_NE(process, nullptr);
  CloseHandle(process);
  HKEY key;
  ASSERT_EQ(image_.Machine().registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Opened", 0,
                                                      KEY_READ, &key),
            ERROR_SUCCESS);
  image_.Machine().registry().RegCloseKey(key);
}

TEST_F(ShellTest, FailuresGiveTheShellsCodes) {
  Shell& shell = image_.Machine().shell();
  auto code = [](HINSTANCE result) { return reinterpret_cast<std::uintptr_t>(result); };
  EXPECT_EQ(code(shell.ShellExecuteA(nullptr, "open", "C:\\missing.exe", nullptr, nullptr,
                                     SW_SHOWNORMAL)),
            SE_ERR_FNF);
  image_.WriteFile("C:\\data.unknownext", "x");
  EXPECT_EQ(code(shell.ShellExecuteA(nullptr, nullptr, "C:\\data.unknownext", nullptr, nullptr,
                                     SW_SHOWNORMAL)),
            SE_ERR_NOASSOC);
  image_.WriteFile("C:\\notes.exe", "not a program");  // exists, but nothing can run it
  EXPECT_LE(
      code(shell.ShellExecuteA(nullptr, nullptr, "C:\\notes.exe", nullptr, nullptr, SW_SHOWNORMAL)),
      32u);
}

}  // namespace
}  // namespace platform
