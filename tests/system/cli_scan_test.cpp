// vexmarl-cli scan as a real process on an installed, infected image: what it lists, its exit
// status, and the scan in the session log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include "definitions/database_file.h"
#include "foundation/md5_text.h"
#include "platform/code_page.h"
#include "support/helper_process.h"
#include "support/installed_program.h"

namespace {

using testing_support::RunCommand;

std::string Md5OfHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return foundation::Md5OfText(std::string(std::istreambuf_iterator<char>(in), {}));
}
using testing_support::TempImage;

class CliScanTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing_support::InstallProgram(image_)); }

  // Runs the scan; its standard output, its standard error in `errors`, its status.
  std::string Scan(int* status, std::string* errors = nullptr) {
    const std::string errorFile = image_.Root() + "/scan-errors.txt";
    std::string output =
        RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image_.Root() +
                       "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' scan 2>'" + errorFile + "'",
                   status);
    if (errors) {
      std::ifstream in(errorFile);
      *errors = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return output;
  }

  void TearDown() override {
    std::ifstream pidFile(image_.Root() + "/demo-spyware.pid");
    if (pid_t pid = 0; pidFile >> pid && pid > 0) kill(pid, SIGKILL);
  }

  // The demo infection; with the running dialer when spyware is set.
  void Plant(bool spyware = false) {
    int status = -1;
    RunCommand(std::string(VEXMARL_DATA_FOLDER) + "/demo/plant.sh '" + image_.Root() + "' '" +
                   VEXMACHINE_PROGRAM + "'" + (spyware ? " '" VEXMARL_DEMO_SPYWARE "'" : ""),
               &status);
    ASSERT_EQ(status, 0);
    if (spyware) WaitForDialer();
    char profile[platform::MAX_PATH] = {};
    image_.Machine().system().SHGetFolderPathA(nullptr, platform::CSIDL_PROFILE, nullptr, 0,
                                               profile);
    profile_ = profile;
  }

  // The body of the log's Scanning element, without its opening line.
  std::string ScanningBody(const std::string& errors) {
    const std::string marker = "Session log: ";
    const std::size_t at = errors.find(marker);
    if (at == std::string::npos) return "no log named";
    std::string path = errors.substr(at + marker.size());
    path.erase(path.find('\n'));
    std::string log = image_.ReadFile(path);
    const std::size_t start = log.find("<Scanning TIME");
    const std::size_t end = log.find("</Scanning>");
    if (start == std::string::npos || end == std::string::npos) return "no Scanning element";
    return log.substr(log.find('\n', start) + 1, end - log.find('\n', start) - 1);
  }

  // Until the started dialer runs its program.
  void WaitForDialer() {
    std::ifstream pidFile(image_.Root() + "/demo-spyware.pid");
    pid_t pid = 0;
    pidFile >> pid;
    for (int tries = 0; tries < 100; ++tries) {
      std::error_code error;
      auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
      if (!error && exe.filename() == "pwdial.exe") return;
      usleep(20000);
    }
  }

  // The log lines of the body that name processes, taken out of it.
  static std::vector<std::string> TakeProcessLines(std::string& body) {
    std::vector<std::string> lines;
    for (std::size_t at; (at = body.find("<PROCESS NAME = ")) != std::string::npos;) {
      const std::size_t end = body.find('\n', at);
      lines.push_back(body.substr(at, end - at));
      body.erase(at, end - at + 1);
    }
    return lines;
  }

  TempImage image_{"xp"};
  std::string profile_;
};

TEST_F(CliScanTest, ListsTheDemoInfectionAndLogsIt) {
  Plant(true);
  int status = -1;
  std::string errors;
  const std::string output = Scan(&status, &errors);
  EXPECT_EQ(status, 1);
  const std::string qfk = profile_ + "\\local settings\\qfk";
  const std::string dialer = profile_ + "\\Local Settings\\Temp\\pwdial.exe";
  // The system gives the temporary folder in its 8.3 form, so the definition's "%temp%" and
  // the Run value name the dialer by that form, the process by its long one.
  char shortForm[platform::MAX_PATH];
  image_.Files().GetShortPathNameA(dialer.c_str(), shortForm, sizeof shortForm);
  const std::string shortDialer = platform::CodePage().Lower(shortForm);
  EXPECT_EQ(
      output,
      "1\tFile\tPennywhistle Dialer\t" + dialer + "\n1\tFile\tPennywhistle Dialer\t" +
          shortDialer +
          "\n3\tRegistryKey\tGlimmerbar Toolbar\tsoftware\\glimmerbar\n"
          "3\tRegistryKey\tQuillfeather Keylogger\tsoftware\\quillfeather\n"
          "4\tRegistryValue\tGlimmerbar "
          "Toolbar\tSoftware\\Microsoft\\Windows\\Currentversion\\Run\\"
          "glimmerbar:@:C:\\Program Files\\glimmerbar\\glimmer.exe\n"
          "4\tRegistryValue\tPennywhistle "
          "Dialer\tSoftware\\Microsoft\\Windows\\Currentversion\\Run\\"
          "pwdial\n"
          "7\tChangedRegistryValue\tGlimmerbar Toolbar\tSoftware\\Microsoft\\Internet Explorer\\"
          "main\\start page\\http://start.glimmerbar.example/:@:http://start.glimmerbar.example/\n"
          "7\tChangedRegistryValue\tPennywhistle Dialer\tSoftware\\Microsoft\\Internet Explorer\\"
          "main\\search page\\http://search.pennywhistle.example/find?q=:@:"
          "http://search.pennywhistle.example/find?q=\n"
          "1\tFile\tGlimmerbar Toolbar\tC:\\glimmerbar.ini\n"
          "1\tFile\tQuillfeather Keylogger\tC:\\WINDOWS\\qfk32.dll\n"
          "1\tFile\tGlimmerbar Toolbar\tC:\\WINDOWS\\system32\\glmhook.dll\n"
          "2\tFolder\tGlimmerbar Toolbar\tC:\\Program Files\\glimmerbar\n"
          "1\tFile\tGlimmerbar Toolbar\tC:\\Program Files\\glimmerbar\\glimmer.exe\n"
          "2\tFolder\tGlimmerbar Toolbar\tC:\\Program Files\\glimmerbar\\skins\n"
          "1\tFile\tGlimmerbar Toolbar\tC:\\Program Files\\glimmerbar\\skins\\blue.skin\n"
          "2\tFolder\tQuillfeather Keylogger\t" +
          qfk +
          "\n"
          "1\tFile\tQuillfeather Keylogger\t" +
          qfk +
          "\\keys.dat\n"
          "6\tHostsEntry\tPennywhistle Dialer\twww.vexmarl.example\n");
  EXPECT_NE(errors.find("Scan finished: examined "), std::string::npos) << errors;
  EXPECT_NE(errors.find("found 18, listed 18, ignored 0, processes logged 3"), std::string::npos)
      << errors;
  std::string body = ScanningBody(errors);
  const std::string digest = Md5OfHostFile(VEXMARL_DEMO_SPYWARE);
  std::vector<std::string> processLines = TakeProcessLines(body);
  ASSERT_EQ(processLines.size(), 3u) << body;
  // Running programs first (the dialer and the scanner itself), then the startup entry.
  EXPECT_NE(std::find(processLines.begin(), processLines.end() - 1,
                      "<PROCESS NAME = \"" + dialer + "\" MD5 = \"" + digest + "\"/>"),
            processLines.end() - 1);
  EXPECT_EQ(processLines.back(),
            "<PROCESS NAME = \"" + shortDialer + "\" MD5 = \"" + digest + "\"/>");
  EXPECT_NE(body.find("<FILE PATH = \"Pennywhistle Dialer " + dialer + "\"/>"), std::string::npos);
  body.erase(0, body.find("<ScanningRegKeys>"));
  EXPECT_EQ(
      body,
      "<ScanningRegKeys>\n<SW NAME = \"Glimmerbar Toolbar\">\n"
      "<REGKEYFOUND NAME = \"software\\glimmerbar\"/>\n"
      "<REGKEY NAME = \"Glimmerbar Toolbar software\\glimmerbar\"/>\n</SW>\n"
      "<SW NAME = \"Quillfeather Keylogger\">\n"
      "<REGKEYFOUND NAME = \"software\\quillfeather\"/>\n"
      "<REGKEY NAME = \"Quillfeather Keylogger software\\quillfeather\"/>\n</SW>\n"
      "</ScanningRegKeys>\n<ScanningRegValues>\n<SW NAME = \"Glimmerbar Toolbar\">\n"
      "<REGVALUE VALUE = \"Glimmerbar Toolbar Software\\Microsoft\\Windows\\Currentversion\\Run\\"
      "glimmerbar:@:C:\\Program Files\\glimmerbar\\glimmer.exe\"/>\n"
      "<REGVALUEFOUND NAME = \"Software\\Microsoft\\Windows\\Currentversion\\Run\\glimmerbar:@:"
      "C:\\Program Files\\glimmerbar\\glimmer.exe\"/>\n</SW>\n"
      "<SW NAME = \"Pennywhistle Dialer\">\n"
      "<REGVALUE VALUE = \"Pennywhistle Dialer Software\\Microsoft\\Windows\\Currentversion\\Run\\"
      "pwdial\"/>\n"
      "<REGVALUEFOUND NAME = \"Software\\Microsoft\\Windows\\Currentversion\\Run\\pwdial\"/>\n"
      "</SW>\n</ScanningRegValues>\n"
      "<ScanningRegValuesChanged>\n<SW NAME = \"Glimmerbar Toolbar\">\n"
      "<REGVALUE NAME = \"Glimmerbar Toolbar Software\\Microsoft\\Internet Explorer\\main\\"
      "start page\\http://start.glimmerbar.example/:@:http://start.glimmerbar.example/\"/>\n"
      "<REGVALUECHANGEDFOUND NAME = \"Software\\Microsoft\\Internet Explorer\\main\\start page\\"
      "http://start.glimmerbar.example/:@:http://start.glimmerbar.example/\"/>\n</SW>\n"
      "<SW NAME = \"Pennywhistle Dialer\">\n"
      "<REGVALUE NAME = \"Pennywhistle Dialer Software\\Microsoft\\Internet Explorer\\main\\"
      "search page\\http://search.pennywhistle.example/find?q=:@:"
      "http://search.pennywhistle.example/find?q=\"/>\n"
      "<REGVALUECHANGEDFOUND NAME = \"Software\\Microsoft\\Internet Explorer\\main\\search page\\"
      "http://search.pennywhistle.example/find?q=:@:http://search.pennywhistle.example/find?q="
      "\"/>\n</SW>\n</ScanningRegValuesChanged>\n"
      "<FILE PATH = \"Glimmerbar Toolbar C:\\glimmerbar.ini\"/>\n"
      "<FILE PATH = \"C:\\glimmerbar.ini\"/>\n"
      "<FILE PATH = \"Quillfeather Keylogger C:\\WINDOWS\\qfk32.dll\"/>\n"
      "<FILE PATH = \"C:\\WINDOWS\\qfk32.dll\"/>\n"
      "<FILE PATH = \"Glimmerbar Toolbar C:\\WINDOWS\\system32\\glmhook.dll\"/>\n"
      "<FILE PATH = \"C:\\WINDOWS\\system32\\glmhook.dll\"/>\n"
      "<FOLDER PATH = \"Glimmerbar Toolbar C:\\Program Files\\glimmerbar\"/>\n"
      "<FILE PATH = \"Glimmerbar Toolbar C:\\Program Files\\glimmerbar\\glimmer.exe\"/>\n"
      "<FOLDER PATH = \"Glimmerbar Toolbar C:\\Program Files\\glimmerbar\\skins\"/>\n"
      "<FILE PATH = \"Glimmerbar Toolbar C:\\Program Files\\glimmerbar\\skins\\blue.skin\"/>\n"
      "<FOLDER PATH = \"Quillfeather Keylogger " +
          qfk +
          "\"/>\n"
          "<FILE PATH = \"Quillfeather Keylogger " +
          qfk +
          "\\keys.dat\"/>\n"
          "<HOST VALUE = \"Pennywhistle Dialer www.vexmarl.example\"/>\n");
}

TEST_F(CliScanTest, IgnoredItemsAreLoggedButNotListed) {
  Plant();
  image_.WriteFile("C:\\Program Files\\Vexmarl\\Ignorelist.txt",
                   "Pennywhistle Dialer,WWW.VEXMARL.EXAMPLE,6\r\n");
  int status = -1;
  std::string errors;
  const std::string output = Scan(&status, &errors);
  EXPECT_EQ(output.find("HostsEntry"), std::string::npos);
  EXPECT_NE(errors.find("found 15, listed 14, ignored 1"), std::string::npos) << errors;
  EXPECT_NE(
      ScanningBody(errors).find("<HOST VALUE = \"Pennywhistle Dialer www.vexmarl.example\"/>"),
      std::string::npos);
}

TEST_F(CliScanTest, CtrlCStopsTheScanAsTheStopButtonDoes) {
  testing_support::InstallSlowDefinitions(image_);
  testing_support::HelperProcess scan(
      {*image_.Files().HostPathOf("C:\\Program Files\\Vexmarl\\vexmarl-cli.exe"), "scan"});
  // Once the scan has begun its log, Ctrl-C.
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE search = platform::INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 500 && search == platform::INVALID_HANDLE_VALUE; ++tries) {
    usleep(20000);
    search = image_.Files().FindFirstFileA("C:\\Program Files\\Vexmarl\\Logs\\*.Log", &found);
  }
  ASSERT_NE(search, platform::INVALID_HANDLE_VALUE);
  image_.Files().FindClose(search);
  kill(scan.Pid(), SIGINT);
  EXPECT_EQ(scan.Report(), "no report");
  const std::string log =
      image_.ReadFile(std::string("C:\\Program Files\\Vexmarl\\Logs\\") + found.cFileName);
  const std::size_t aborted = log.find("<Information Message = \"Scan Aborted by User\"/>");
  EXPECT_NE(aborted, std::string::npos);
  EXPECT_LT(aborted, log.find("</ScanningRegKeys>"));
  EXPECT_NE(log.find("</Scanning>\n"), std::string::npos);
  EXPECT_NE(log.find("</Session>"), std::string::npos);
}

TEST_F(CliScanTest, ACleanMachineEndsWithZeroAndAMissingDatabaseWithTwo) {
  int status = -1;
  std::string errors;
  EXPECT_EQ(Scan(&status, &errors), "");
  EXPECT_EQ(status, 0) << errors;
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\Program Files\\Vexmarl\\database.db"));
  EXPECT_EQ(Scan(&status, &errors), "");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(errors,
            "vexmarl-cli: no definitions database: database.db is missing from the program "
            "folder\n");
}

}  // namespace
