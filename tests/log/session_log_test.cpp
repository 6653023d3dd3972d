#include "log/session_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/user_settings.h"
#include "foundation/md5_text.h"
#include "scan/startup_inventory.h"
#include "support/fault_injection.h"
#include "support/shortcut_writer.h"
#include "support/temp_image.h"

namespace logging {
namespace {

using namespace platform;
using testing_support::TempImage;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";
constexpr std::time_t kOpened = 1165528845;  // 07 Dec 06 22:00:45 UTC

class SessionLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  SessionLogSource Source() {
    SessionLogSource source;
    source.appName = "Vexmarl";
    source.programFolder = kProgramFolder;
    source.programVersion = "4.23";
    source.databaseVersion = [] {
      return std::pair<std::string, std::string>("4.23.0001", "2006-11-20");
    };
    source.readSetting = [this](const char* name) { return settings_.Number(name, 0); };
    source.writeInventories = [this](const std::function<void(const std::string&)>& write) {
      scan::WriteAutorunInventory(image_.Machine(), write);
      scan::WriteStartupFolders(image_.Machine(), write);
    };
    source.now = [this] { return now_; };
    return source;
  }

  std::string LogText(const std::string& name = "VexmarlLog 07-12-06 22-00-45.Log") {
    return image_.ReadFile(std::string(kProgramFolder) + "Logs\\" + name);
  }

  TempImage image_{"xp"};
  app::UserSettings settings_{image_.Machine().registry(), "Vexmarl"};
  std::time_t now_ = kOpened;
};

TEST_F(SessionLogTest, TheHeaderOfAFreshMachine) {
  settings_.SetText(app::setting::kHomepage, "");  // creates the settings key
  settings_.SetNumber(app::setting::kCustScanRegistry, 1);
  settings_.SetNumber(app::setting::kCustScanActive, 7);  // any non-zero value is ON
  ImageRegistry& registry = image_.Machine().registry();
  HKEY run;
  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                                     nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr),
            ERROR_SUCCESS);
  const std::string tray = "\"C:\\Program Files\\Tray\\tray.exe\" /min";
  registry.RegSetValueExA(run, "Tray", 0, REG_SZ, reinterpret_cast<const BYTE*>(tray.c_str()),
                          static_cast<DWORD>(tray.size() + 1));
  registry.RegCloseKey(run);
  image_.WriteHostFile("Program Files/Tray/tray.exe", "tray");
  image_.WriteHostFile("Documents and Settings/User/Start Menu/Programs/Startup/Tray.lnk",
                       testing_support::ShortcutBytes("C:\\Program Files\\Tray\\tray.exe"));
  const std::string tray5 = foundation::Md5OfText("tray");
  // The machine's file browser, which every image has.
  const std::string explorer5 =
      foundation::Md5OfFile(image_.Files(), "C:\\WINDOWS\\explorer.exe").value_or("none");

  SessionLog log(image_.Machine(), Source());
  log.LogLine("<Scanning TIME = \"07 Dec 06 22:00:45\">");
  now_ = kOpened + 3661;
  log.CloseSessionLog();

  const std::string startup = "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup\\*";
  const std::string expected =
      "<?xml version = \"1.0\"?>\n"
      "<Session START = \"07 Dec 06 22:00:45\" END = \"07 Dec 06 23:01:46\">\n"
      "<Information Version = \"4.23\" DatabaseVersion = \"4.23.0001\" DataBaseDate = "
      "\"2006-11-20\"/>\n\n"
      "<Information OS = \"Windows XP\"/>\n\n"
      "<Information ServicePack = \"Service Pack 2\"/>\n\n"
      "<Information WorkingDirectory = \"C:\\Program Files\\Vexmarl\\\"/>\n\n"
      "<Information Option = \"AdvSpyware Scan\" State = \"OFF\"/>\n"
      "<Information Option = \"Scan IE Favorites\" State = \"OFF\"/>\n"
      "<Information Option = \"Scan Host Files\" State = \"OFF\"/>\n"
      "<Information Option = \"Scan Drives\" State = \"OFF\"/>\n"
      "<Information Option = \"Do Not Scan Executables\" State = \"OFF\"/>\n"
      "<Information Option = \"Scan Registry\" State = \"ON\"/>\n"
      "<Information Option = \"Scan Active Processes\" State = \"ON\"/>\n"
      "<Information Option = \"Automatic Database Update\" State = \"OFF\"/>\n"
      "<Information Option = \"Automatic Program Update\" State = \"OFF\"/>\n"
      "<Information Option = \"Automatic Removal\" State = \"OFF\"/>\n"
      "<Information Option = \"Exit When Finished\" State = \"OFF\"/>\n"
      "<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = "
      "\"Software\\Microsoft\\Windows\\CurrentVersion\\Run\"/>\n"
      "<Information Value = \"Tray\" Data = \"C:\\Program Files\\Tray\\tray.exe /min\" MD5 = \"" +
      tray5 +
      "\" Path = \"\"/>\n"
      "<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = \"Software\\Microsoft\\Windows "
      "NT\\CurrentVersion\\Winlogon\"/>\n"
      "<Information Value = \"Userinit\" Data = \"C:\\WINDOWS\\system32\\userinit.exe,\"/>\n"
      "<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = \"Software\\Microsoft\\Windows "
      "NT\\CurrentVersion\\Winlogon\"/>\n"
      "<Information Value = \"Shell\" Data = \"Explorer.exe\" MD5 = \"" +
      explorer5 +
      "\" Path = \"C:\\WINDOWS\\Explorer.exe\"/>\n"
      "<Information RootKey = \"HKEY_CURRENT_USER\" KeyPath = \"Software\\Microsoft\\Internet "
      "Explorer\\Main\"/>\n"
      "<Information Value = \"Start Page\" Data = \"about:blank\"/>\n"
      "<Information Value = \"Search Page\" Data = \"about:blank\"/>\n"
      "<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = \"Software\\Microsoft\\Internet "
      "Explorer\\Main\"/>\n"
      "<Information Value = \"Start Page\" Data = \"about:blank\"/>\n"
      "<Information Value = \"Search Page\" Data = \"about:blank\"/>\n"
      "<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = "
      "\"SOFTWARE\\Classes\\exefile\\shell\\open\\command\"/>\n"
      "<Information Value = \"\" Data = \"%1 %*\"/>\n"
      "<Information Directory = \"" +
      startup +
      "\" Program = \"Tray.lnk\" LinkFile = \"C:\\Program Files\\Tray\\tray.exe\" MD5 = \"" +
      tray5 +
      "\"/>\n"
      "<Scanning TIME = \"07 Dec 06 22:00:45\">\n"
      "</Session>\n"
      "\n";
  const std::string actual = LogText();
  EXPECT_EQ(actual, expected);
  // Line by line, so that a changed text shows where it is.
  std::istringstream actualLines(actual), expectedLines(expected);
  std::string a, e;
  for (int line = 1; std::getline(expectedLines, e); ++line) {
    std::getline(actualLines, a);
    EXPECT_EQ(a, e) << "line " << line;
  }
}

TEST_F(SessionLogTest, NothingWrittenMeansNoFile) {
  {
    SessionLog log(image_.Machine(), Source());
    log.CloseSessionLog();
    EXPECT_FALSE(log.IsOpen());
  }
  EXPECT_FALSE(std::filesystem::exists(
      image_.HostPath("Program Files/Vexmarl/Logs/VexmarlLog 07-12-06 22-00-45.Log")));
}

TEST_F(SessionLogTest, LinesEndsAndTwoRunsInOneSecond) {
  {
    SessionLog first(image_.Machine(), Source());
    first.LogLine("<Information Message = \"one\"/>");
    first.LogLine("</Scanning>\n");  // leaves an empty line after it
    first.CloseSessionLog();
  }
  const std::string once = LogText();
  EXPECT_NE(once.find("<Information Message = \"one\"/>\n</Scanning>\n\n</Session>\n\n"),
            std::string::npos);
  {
    now_ = kOpened;  // the same second: the same file, appended to
    SessionLog second(image_.Machine(), Source());
    second.LogLine("<Information Message = \"two\"/>");
    now_ = kOpened + 59;
    second.CloseSessionLog();
  }
  const std::string twice = LogText();
  // The first run's text stays in front, but its END now holds the second run's closing.
  std::string first = once;
  const std::string firstEnd = "END = \"07 Dec 06 22:00:45\"";
  first.replace(first.find(firstEnd), firstEnd.size(), "END = \"07 Dec 06 22:01:44\"");
  EXPECT_EQ(twice.substr(0, first.size()), first);
  EXPECT_NE(twice.find("<Information Message = \"two\"/>"), std::string::npos);
  EXPECT_EQ(twice.find("<?xml"), 0u);
  EXPECT_NE(twice.find("<?xml", 1), std::string::npos);  // the second header follows
}

TEST_F(SessionLogTest, LinesOfTwoThreadsNeverMix) {
  SessionLog log(image_.Machine(), Source());
  auto writer = [&](char letter) {
    for (int i = 0; i < 300; ++i) log.LogLine(std::string(200, letter));
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  log.CloseSessionLog();
  std::istringstream lines(LogText());
  int whole = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || (line[0] != 'a' && line[0] != 'b')) continue;
    EXPECT_EQ(line, std::string(200, line[0]));
    ++whole;
  }
  EXPECT_EQ(whole, 600);
}

TEST_F(SessionLogTest, AFileThatCannotBeOpenedDropsTheLine) {
  // A file where the Logs folder should be: no log can be opened.
  image_.WriteHostFile("Program Files/Vexmarl/Logs", "in the way");
  SessionLog log(image_.Machine(), Source());
  log.LogLine("dropped");
  EXPECT_FALSE(log.IsOpen());
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\Program Files\\Vexmarl\\Logs"));
  log.LogLine("kept");
  EXPECT_TRUE(log.IsOpen());
  log.CloseSessionLog();
  const std::string text = LogText();
  EXPECT_EQ(text.find("dropped"), std::string::npos);
  EXPECT_NE(text.find("kept\n"), std::string::npos);
}

TEST_F(SessionLogTest, ABrandNameThatNoFileMayHoldStillGivesALogInTheLogsFolder) {
  const std::string logs = std::string(kProgramFolder) + "Logs\\";
  for (const std::string& brand : {std::string("..\\..\\WINDOWS\\x:y*?"), std::string(400, 'v')}) {
    SessionLogSource source = Source();
    source.appName = brand;
    SessionLog log(image_.Machine(), source);
    log.LogLine("kept");
    ASSERT_TRUE(log.IsOpen()) << brand;
    EXPECT_EQ(log.FilePath().rfind('\\'), logs.size() - 1) << log.FilePath();
    EXPECT_LT(log.FilePath().size(), static_cast<std::size_t>(MAX_PATH));
    EXPECT_TRUE(log.FilePath().ends_with("vLog 07-12-06 22-00-45.Log") ||
                log.FilePath() == logs + ".._.._WINDOWS_x_y__Log 07-12-06 22-00-45.Log")
        << log.FilePath();
    log.CloseSessionLog();
  }
}

TEST(SessionLogSystem, AnOlderSystemHasNoServicePackText) {
  setenv("TZ", "UTC", 1);
  tzset();
  TempImage image("98");
  SessionLogSource source;
  source.appName = "Vexmarl";
  source.programFolder = kProgramFolder;
  source.now = [] { return kOpened; };
  SessionLog log(image.Machine(), source);
  log.LogLine("x");
  log.CloseSessionLog();
  const std::string text =
      image.ReadFile(std::string(kProgramFolder) + "Logs\\VexmarlLog 07-12-06 22-00-45.Log");
  EXPECT_NE(
      text.find(
          "<Information OS = \"Windows 98\"/>\n\n<Information ServicePack = \"Unknown or None\"/>"
          "\n\n"),
      std::string::npos)
      << text;
  // Without settings every option is OFF; without definitions the versions are empty.
  EXPECT_NE(text.find("DatabaseVersion = \"\" DataBaseDate = \"\""), std::string::npos);
  EXPECT_NE(text.find("<Information Option = \"Exit When Finished\" State = \"OFF\"/>"),
            std::string::npos);
}

TEST(LogTime, EnglishMonthsAndFixedWidth) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(LogTime(kOpened), "07 Dec 06 22:00:45");
  EXPECT_EQ(LogTime(0), "01 Jan 70 00:00:00");
  EXPECT_EQ(LogTime(kOpened).size(), LogTime(kOpened + 86400 * 40).size());
}

}  // namespace
}  // namespace logging

namespace logging {
namespace {

// The log's closing, with each of its host calls failing in turn (a full disk): what was
// logged stays, and the first line keeps its width with the start time or the closing time
// as its END.
TEST_F(SessionLogTest, ClosingWithAFailingDiskKeepsTheLoggedLinesAndTheFirstLineWhole) {
  const std::string opened =
      "<Session START = \"07 Dec 06 22:00:45\" END = \"07 Dec 06 22:00:45\">";
  const std::string closed =
      "<Session START = \"07 Dec 06 22:00:45\" END = \"07 Dec 06 23:01:46\">";
  const std::string logged =
      "<Scanning TIME = \"07 Dec 06 22:00:45\">\n<FILE VALUE = \"C:\\x.dll\"/>\n";
  std::unique_ptr<SessionLog> log;
  const int faults = testing_support::WithEachCallFailing(
      ENOSPC,
      [&] {
        image_.Files().DeleteFileA(
            (std::string(kProgramFolder) + "Logs\\VexmarlLog 07-12-06 22-00-45.Log").c_str());
        now_ = kOpened;
        log = std::make_unique<SessionLog>(image_.Machine(), Source());
        log->LogLine("<Scanning TIME = \"07 Dec 06 22:00:45\">");
        log->LogLine("<FILE VALUE = \"C:\\x.dll\"/>");
        now_ = kOpened + 3661;
      },
      [&] { log->CloseSessionLog(); },
      [&](int failing, bool hit) {
        log.reset();
        const std::string text = LogText();
        const std::string first = text.substr(text.find('\n') + 1, opened.size());
        EXPECT_TRUE(first == opened || first == closed) << "call " << failing << ": " << first;
        EXPECT_NE(text.find(logged), std::string::npos) << "call " << failing;
        if (!hit) {
          EXPECT_EQ(first, closed);
          EXPECT_NE(text.find(logged + "</Session>\n"), std::string::npos);
        }
      });
  EXPECT_GE(faults, 3);
  RecordProperty("faults", faults);
}

}  // namespace
}  // namespace logging
