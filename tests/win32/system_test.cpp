// What the Windows system tells about itself through the layer, in the XP prefix the tests
// run in: its version, folders, environment strings, shell folders and message texts, the
// local time of known moments, and UTF-16 conversions of the Western code page.
#include "platform/win32/win32_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/code_page.h"
#include "platform/internet.h"
#include "platform/last_error.h"
#include "platform/local_time.h"
#include "platform/win32/win32_registry.h"

namespace platform {
namespace {

constexpr DWORD kEnvironmentVariableNotFound = 203;  // ERROR_ENVVAR_NOT_FOUND

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

class Win32SystemTest : public testing::Test {
 protected:
  Win32SystemTest() : system_(registry_) {}

  Win32Registry registry_;
  Win32System system_;
};

TEST_F(Win32SystemTest, VersionIsThePrefixesWindowsXp) {
  OSVERSIONINFOA version;
  ASSERT_TRUE(system_.GetVersionExA(&version));
  EXPECT_EQ(version.dwMajorVersion, 5u);
  EXPECT_EQ(version.dwMinorVersion, 1u);
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(version.dwBuildNumber, 2600u);
  EXPECT_STREQ(version.szCSDVersion, "Service Pack 3");

  version.dwOSVersionInfoSize = sizeof version + 8;  // a larger structure the layer lacks
  EXPECT_FALSE(system_.GetVersionExA(&version));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(Win32SystemTest, FoldersAndEnvironmentStringsAreTheSystems) {
  const std::string windows = system_.WindowsDirectory();
  EXPECT_EQ(Lower(windows), "c:\\windows");
  EXPECT_EQ(Lower(system_.SystemDirectory()), "c:\\windows\\system32");
  char shortBuffer[4];
  EXPECT_EQ(system_.GetWindowsDirectoryA(shortBuffer, sizeof shortBuffer), windows.size() + 1);

  EXPECT_EQ(system_.EnvironmentVariable("SYSTEMROOT"), windows);
  SetLastError(ERROR_SUCCESS);
  char value[8];
  EXPECT_EQ(system_.GetEnvironmentVariableA("VexmarlNoSuchVariable", value, sizeof value), 0u);
  EXPECT_EQ(GetLastError(), kEnvironmentVariableNotFound);

  // An unknown name keeps its percent signs; the size counts the terminating zero.
  const char* source = "%SystemRoot%\\x %VexmarlNoSuchVariable%";
  const std::string expanded = windows + "\\x %VexmarlNoSuchVariable%";
  EXPECT_EQ(system_.Expand(source), expanded);
  char room[MAX_PATH];
  EXPECT_EQ(system_.ExpandEnvironmentStringsA(source, room, sizeof room), expanded.size() + 1);
  EXPECT_GE(system_.ExpandEnvironmentStringsA(source, room, 4), expanded.size() + 1);
}

TEST_F(Win32SystemTest, ShellFoldersComeFromTheShell) {
  char path[MAX_PATH];
  ASSERT_EQ(system_.SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path), S_OK);
  // The same folder the system gives programs as APPDATA (Wine's is "C:\users\NAME\AppData
  // \Roaming" even as XP, whose own is "...\Application Data").
  EXPECT_EQ(Lower(path), Lower(system_.EnvironmentVariable("APPDATA").value_or("")));
  EXPECT_EQ(Lower(path).rfind("c:\\", 0), 0u) << path;
  ASSERT_EQ(system_.SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, 0, path), S_OK);
  EXPECT_EQ(path, system_.WindowsDirectory());

  EXPECT_EQ(system_.SHGetFolderPathA(nullptr, 0xFE, nullptr, 0, path), E_INVALIDARG);
  HANDLE madeUpToken = reinterpret_cast<HANDLE>(std::uintptr_t{0x1234});
  EXPECT_EQ(system_.SHGetFolderPathA(nullptr, CSIDL_APPDATA, madeUpToken, 0, path), E_INVALIDARG);
}

TEST_F(Win32SystemTest, MessageTextsAreTheSystemsWithTheirLineEnd) {
  // Windows and Wine word it differently.
  const std::string text = system_.ErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(text == "The system cannot find the file specified.\r\n" ||
              text == "File not found.\r\n")
      << text;
  // The internet library's codes have its texts.
  const std::string internet = system_.ErrorText(ERROR_INTERNET_NAME_NOT_RESOLVED);
  EXPECT_EQ(internet.rfind("The server name ", 0), 0u) << internet;
  EXPECT_TRUE(internet.size() > 2 && internet.compare(internet.size() - 2, 2, "\r\n") == 0)
      << internet;

  char buffer[256];
  EXPECT_EQ(system_.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, 0x2000FFFF, 0, buffer, sizeof buffer, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
  constexpr DWORD kAllocateBuffer = 0x100;
  EXPECT_EQ(system_.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | kAllocateBuffer, nullptr,
                                   ERROR_FILE_NOT_FOUND, 0, buffer, 0, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Win32LocalTime, KnownMomentsReadAsTheRuntimeReadsThemInTheSystemsZone) {
  // The runtime's own reading of the system's zone (a TZ from outside would replace it).
  _putenv("TZ=");
  _tzset();
  // 2004-01-15 08:30:00 and 2004-07-15 23:59:59 UTC, in and (where the zone has it) out of
  // daylight saving time.
  for (std::time_t moment : {std::time_t{1074155400}, std::time_t{1089935999}}) {
    const std::tm mine = LocalTimeOf(moment);
    const std::tm* runtime = std::localtime(&moment);
    ASSERT_NE(runtime, nullptr);
    EXPECT_EQ(mine.tm_year, runtime->tm_year) << moment;
    EXPECT_EQ(mine.tm_mon, runtime->tm_mon) << moment;
    EXPECT_EQ(mine.tm_mday, runtime->tm_mday) << moment;
    EXPECT_EQ(mine.tm_hour, runtime->tm_hour) << moment;
    EXPECT_EQ(mine.tm_min, runtime->tm_min) << moment;
    EXPECT_EQ(mine.tm_sec, runtime->tm_sec) << moment;
    EXPECT_EQ(mine.tm_wday, runtime->tm_wday) << moment;
    EXPECT_EQ(mine.tm_yday, runtime->tm_yday) << moment;
    EXPECT_EQ(mine.tm_isdst, runtime->tm_isdst) << moment;
  }
}

TEST(Win32CodePage, WesternTextConvertsToUtf16AndBack) {
  const CodePage western(1252);
  // "é€" and 0x81, which the code page leaves undefined and the system maps to U+0081.
  const std::string text = "\xE9\x80\x81";
  const std::string units("\xE9\x00\xAC\x20\x81\x00", 6);
  EXPECT_EQ(western.ToUtf16Bytes(text), units);
  EXPECT_EQ(western.FromUtf16Bytes(units), text);
  EXPECT_EQ(western.FromUtf16Bytes(units + "A"), text);  // the odd last byte is dropped
  EXPECT_EQ(western.ToUtf16(""), u"");

  // Missing characters become one "?" each, never a look-alike: U+0100 (A with macron), a
  // character outside the basic plane (a surrogate pair) and a lone surrogate.
  EXPECT_EQ(western.FromUtf16(u"a\u0100b\U0001F600c\xD800"), "a?b?c?");
}

TEST(Win32CodePage, ABrokenDoubleByteCharacterBecomesAReplacement) {
  const CodePage japanese(932);
  // 0x82 0xA0 is "あ"; 0x82 followed by a blank is no character, the blank is itself.
  EXPECT_EQ(japanese.ToUtf16("\x82\xA0\x82 "), u"\u3042\uFFFD ");
}

}  // namespace
}  // namespace platform
