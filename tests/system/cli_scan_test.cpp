// vexmarl-cli scan as a real process on an installed, infected image: what it lists, its exit
// status, and the scan in the session log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "definitions/database_file.h"
#include "definitions/database_loader.h"
#include "foundation/md5_text.h"
#include "platform/code_page.h"
#include "scan/found_item.h"
#include "support/helper_process.h"
#include "support/installed_program.h"
#include "support/throttle.h"

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

  // Runs the installed vexmarl-cli with the arguments; its standard output, its standard
  // error in `errors`, its status.
  std::string Cli(const std::string& arguments, int* status, std::string* errors = nullptr) {
    const std::string errorFile = image_.Root() + "/cli-errors.txt";
    std::string output = RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image_.Root() +
                                        "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' " +
                                        arguments + " </dev/null 2>'" + errorFile + "'",
                                    status);
    if (errors) {
      std::ifstream in(errorFile);
      *errors = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return output;
  }

  // Runs the scan (with more arguments); its standard output, its standard error in
  // `errors`, its status.
  std::string Scan(int* status, std::string* errors = nullptr, const std::string& more = "") {
    return Cli("scan " + more, status, errors);
  }

  void TearDown() override {
    std::ifstream pidFile(image_.Root() + "/demo-spyware.pid");
    for (pid_t pid = 0; pidFile >> pid;)
      if (pid > 0) kill(pid, SIGKILL);
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

  // The session log named on standard error.
  std::string SessionLog(const std::string& errors) {
    const std::string marker = "Session log: ";
    const std::size_t at = errors.find(marker);
    if (at == std::string::npos) return "no log named";
    std::string path = errors.substr(at + marker.size());
    path.erase(path.find('\n'));
    return image_.ReadFile(path);
  }

  // The lines of a log from the one that starts with `from` to the first `to` after it.
  static std::string Block(const std::string& log, const std::string& from, const std::string& to) {
    const std::size_t start = log.find(from);
    const std::size_t end = log.find(to, start);
    if (start == std::string::npos || end == std::string::npos) return "no " + from + " block";
    return log.substr(start, end + to.size() - start);
  }

  // The body of the log's Scanning element, without its opening line.
  std::string ScanningBody(const std::string& errors) {
    std::string log = SessionLog(errors);
    const std::size_t start = log.find("<Scanning TIME");
    const std::size_t end = log.find("</Scanning>");
    if (start == std::string::npos || end == std::string::npos) return "no Scanning element";
    return log.substr(log.find('\n', start) + 1, end - log.find('\n', start) - 1);
  }

  // Until the started dialer and its hook run their programs.
  void WaitForDialer() {
    std::ifstream pidFile(image_.Root() + "/demo-spyware.pid");
    for (const char* program : {"pwdial.exe", "pwdialhk.dll"}) {
      pid_t pid = 0;
      pidFile >> pid;
      for (int tries = 0; tries < 100; ++tries) {
        std::error_code error;
        auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
        if (!error && exe.filename() == program) break;
        usleep(20000);
      }
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
      "1\tFile\tPennywhistle Dialer\t" + dialer +
          "\n1\tFile\tPennywhistle Dialer\tC:\\WINDOWS\\system32\\pwdialhk.dll\n"
          "1\tFile\tPennywhistle Dialer\t" +
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
  EXPECT_NE(errors.find("found 19, listed 19, ignored 0, processes logged 4"), std::string::npos)
      << errors;
  std::string body = ScanningBody(errors);
  const std::string digest = Md5OfHostFile(VEXMARL_DEMO_SPYWARE);
  std::vector<std::string> processLines = TakeProcessLines(body);
  ASSERT_EQ(processLines.size(), 4u) << body;
  // Running programs first (the dialer, its hook and the scanner itself), then the startup
  // entry.
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
  testing_support::InstallSlowDefinitions(image_, testing_support::kInstalledFolder, 120000);
  testing_support::HelperProcess scan(
      {*image_.Files().HostPathOf("C:\\Program Files\\Vexmarl\\vexmarl-cli.exe"), "scan"});
  // Once the scan has begun its log, it is slowed down and gets Ctrl-C.
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE search = platform::INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 4000 && search == platform::INVALID_HANDLE_VALUE; ++tries) {
    usleep(5000);
    search = image_.Files().FindFirstFileA("C:\\Program Files\\Vexmarl\\Logs\\*.Log", &found);
  }
  ASSERT_NE(search, platform::INVALID_HANDLE_VALUE);
  testing_support::Throttle slow(scan.Pid());
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

namespace {

TEST_F(CliScanTest, RemoveWithoutAPersonToAskRemovesNothing) {
  Plant();
  int status = -1;
  std::string errors;
  const std::string output = Scan(&status, &errors, "--remove");
  EXPECT_EQ(status, 1);  // as the scan: something listed, nothing removed
  EXPECT_EQ(output.find("removed\t"), std::string::npos);
  EXPECT_NE(SessionLog(errors).find(
                "<Information Message = \"User has Selected NOT to Quarantine Any Items\"/>\n"),
            std::string::npos);
  EXPECT_TRUE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
}

TEST_F(CliScanTest, RemoveYesThenBootRemovesTheWholeInfection) {
  Plant(true);
  std::vector<pid_t> pids;
  {
    std::ifstream pidFile(image_.Root() + "/demo-spyware.pid");
    for (pid_t pid = 0; pidFile >> pid;) pids.push_back(pid);
  }
  int status = -1;
  std::string errors;
  const std::string output = Scan(&status, &errors, "--remove --yes");
  EXPECT_EQ(status, 3) << errors;  // a file waits for the restart
  const std::string dialer = profile_ + "\\Local Settings\\Temp\\pwdial.exe";
  EXPECT_NE(output.find("removed\t1\tFile\tPennywhistle Dialer\t" + dialer + "\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("removed\t6\tHostsEntry\tPennywhistle Dialer\twww.vexmarl.example\n"),
            std::string::npos);
  EXPECT_NE(errors.find("Quarantine archive: C:\\Program Files\\Vexmarl\\Quarantine\\Quarantine"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("Waits for a restart: C:\\WINDOWS\\system32\\pwdialhk.dll\n"),
            std::string::npos);
  EXPECT_NE(errors.find("Restart requested: yes\n"), std::string::npos);
  const std::string log = SessionLog(errors);
  const std::string qfk = profile_ + "\\local settings\\qfk";
  EXPECT_EQ(
      Block(log, "<Removal>", "</Removal>"),
      "<Removal>\n"
      "<SW NAME = \"Pennywhistle Dialer\">\n"
      "<FILE  NAME = \"" +
          dialer +
          "\"/>\n"
          "<PROCESS RES = \"Process Removed\" NAME = \"" +
          dialer +
          "\"/>\n"
          "<REGVALUE NAME = "
          "\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" VALUE = "
          "\"pwdial\" RES = \"Removed from Registry\"/>\n"
          "<FILE RES = \"Successfully ReMoved\"/>\n"
          "<FILE  NAME = \"C:\\WINDOWS\\system32\\pwdialhk.dll\"/>\n"
          "<FILE RES = \" Error .. Access Denied \"/>\n"
          "<FILE  NAME = \"c:\\docume~1\\user\\locals~1\\temp\\pwdial.exe\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Glimmerbar Toolbar\">\n"
          "<REGKEY NAME = \"software\\glimmerbar\"/>\n"
          "<REGKEY RES = \"Successfully ReMoved\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Quillfeather Keylogger\">\n"
          "<REGKEY NAME = \"software\\quillfeather\"/>\n"
          "<REGKEY RES = \"Successfully ReMoved\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Glimmerbar Toolbar\">\n"
          "<REGVALUE NAME = "
          "\"Software\\Microsoft\\Windows\\Currentversion\\Run\\glimmerbar:@:C:\\Program "
          "Files\\glimmerbar\\glimmer.exe\"/>\n"
          "<REGVALUE RES = \"Successfully Removed\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Pennywhistle Dialer\">\n"
          "<REGVALUE NAME = \"Software\\Microsoft\\Windows\\Currentversion\\Run\\pwdial\"/>\n"
          "<REGVALUE RES = \"Unsuccessfully Removed The system cannot find the file "
          "specified.\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Glimmerbar Toolbar\">\n"
          "<REGVALUE RES = \"Deleting Register Value Changed\" />\n"
          "<REGVALUE RES = \"Register Values Successfully Changed\"/>\n"
          "<REGVALUE RES = \"Register Values Successfully Changed\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Pennywhistle Dialer\">\n"
          "<REGVALUE RES = \"Deleting Register Value Changed\" />\n"
          "<REGVALUE RES = \"Register Values Successfully Changed\"/>\n"
          "<REGVALUE RES = \"Register Values Successfully Changed\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Glimmerbar Toolbar\">\n"
          "<FILE  NAME = \"C:\\glimmerbar.ini\"/>\n"
          "<FILE RES = \"C:\\glimmerbar.ini Successfully ReMoved\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Quillfeather Keylogger\">\n"
          "<FILE  NAME = \"C:\\WINDOWS\\qfk32.dll\"/>\n"
          "<FILE RES = \"C:\\WINDOWS\\qfk32.dll Successfully ReMoved\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Glimmerbar Toolbar\">\n"
          "<FILE  NAME = \"C:\\WINDOWS\\system32\\glmhook.dll\"/>\n"
          "<FILE RES = \"C:\\WINDOWS\\system32\\glmhook.dll Successfully ReMoved\"/>\n"
          "<DIR NAME = \"C:\\Program Files\\glimmerbar\"/>\n"
          "<FILE RES = \"C:\\Program Files\\glimmerbar\\glimmer.exe Successfully ReMoved\"/>\n"
          "<FILE RES = \"C:\\Program Files\\glimmerbar\\skins\\blue.skin Successfully ReMoved\"/>\n"
          "<DIR RES = \"Successfully ReMoved C:\\Program Files\\glimmerbar\"/>\n"
          "<FILE  NAME = \"C:\\Program Files\\glimmerbar\\glimmer.exe\"/>\n"
          "<DIR NAME = \"C:\\Program Files\\glimmerbar\\skins\"/>\n"
          "<FILE  NAME = \"C:\\Program Files\\glimmerbar\\skins\\blue.skin\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Quillfeather Keylogger\">\n"
          "<DIR NAME = \"" +
          qfk +
          "\"/>\n"
          "<FILE RES = \"" +
          qfk +
          "\\keys.dat Successfully ReMoved\"/>\n"
          "<DIR RES = \"Successfully ReMoved " +
          qfk +
          "\"/>\n"
          "<FILE  NAME = \"" +
          qfk +
          "\\keys.dat\"/>\n"
          "</SW>\n"
          "<SW NAME = \"Pennywhistle Dialer\">\n"
          "<HOST NAME = \"www.vexmarl.example\" RESULT = \"Successfully Removed\" />\n"
          "</SW>\n"
          "</Removal>");
  // The dialer was ended by the removal, its hook by the restart.
  for (pid_t pid : pids) {
    for (int tries = 0; tries < 100 && kill(pid, 0) == 0; ++tries) usleep(20000);
  }
  EXPECT_TRUE(image_.Machine().processes().RestartPending());
  EXPECT_TRUE(image_.Files().PathFileExistsA("C:\\WINDOWS\\system32\\pwdialhk.dll"));

  const std::string booted =
      RunCommand(std::string(VEXMACHINE_PROGRAM) + " boot '" + image_.Root() + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(booted.substr(0, booted.find('\n')), "\"C:\\Program Files\\Vexmarl\\Vexmarl.exe\" -b");
  EXPECT_FALSE(image_.Machine().processes().RestartPending());
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\WINDOWS\\system32\\pwdialhk.dll"));
  std::string rebootLog;
  for (const auto& file :
       std::filesystem::directory_iterator(image_.HostPath("Program Files/Vexmarl/Logs"))) {
    std::ifstream in(file.path());
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (text.find("<Reboot>") != std::string::npos) rebootLog = text;
  }
  EXPECT_EQ(Block(rebootLog, "<Reboot>", "</Reboot>"),
            "<Reboot>\n<FILE NAME = \"C:\\WINDOWS\\system32\\pwdialhk.dll\" RES = \"Successfully "
            "Removed\"/>\n</Reboot>");
  // Nothing is left to find.
  const std::string again = Scan(&status, &errors);
  EXPECT_EQ(status, 0) << again;
  EXPECT_EQ(again, "");
}

// --json: every listed item as an object with the file's size and digest, the removal's
// objects, and the summary last, each on a line of its own.
TEST_F(CliScanTest, JsonListsEachItemThenTheSummary) {
  Plant();
  int status = -1;
  const std::string text = Scan(&status);
  std::string errors;
  const std::string output = Scan(&status, &errors, "--json --remove --yes");
  EXPECT_EQ(status, 0) << errors;
  std::vector<nlohmann::json> objects;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    objects.push_back(nlohmann::json::parse(line, nullptr, false));
    ASSERT_FALSE(objects.back().is_discarded()) << line;
  }
  ASSERT_FALSE(objects.empty());
  // The listed items are the text lines' items, in their order.
  std::string listed;
  int removed = 0;
  for (const nlohmann::json& object : objects) {
    if (object["type"] == "removed") ++removed;
    if (object["type"] != "item") continue;
    const auto kind = object["kind"].get<std::string>();
    int number = 0;
    while (number < 8 && kind != scan::KindName(static_cast<scan::FoundItemKind>(number))) ++number;
    listed += std::to_string(number) + "\t" + kind + "\t" + object["spyware"].get<std::string>() +
              "\t" + object["location"].get<std::string>() + "\n";
    EXPECT_EQ(object.contains("md5"), kind == "File") << object;
  }
  EXPECT_EQ(listed, text);
  EXPECT_EQ(removed, 15);
  EXPECT_EQ(objects[0], nlohmann::json::parse(R"({"type": "item", "kind": "RegistryKey",
      "spyware": "Glimmerbar Toolbar", "category": "Browser Helper", "danger": "medium",
      "location": "software\\glimmerbar"})"));
  const auto file = std::find_if(objects.begin(), objects.end(), [](const nlohmann::json& o) {
    return o["type"] == "item" && o["location"] == "C:\\glimmerbar.ini";
  });
  ASSERT_NE(file, objects.end());
  EXPECT_EQ((*file)["size"], 9);
  EXPECT_EQ((*file)["md5"], foundation::Md5OfText("[glimmer]"));
  nlohmann::json summary = objects.back();
  EXPECT_EQ(summary["type"], "summary");
  EXPECT_EQ(summary["finished"], true);
  EXPECT_EQ(summary["listed"], 15);
  EXPECT_EQ(summary["found"], 15);
  EXPECT_EQ(summary["waitingForRestart"], nlohmann::json::array());
  EXPECT_EQ(summary["restartRequested"], false);
  EXPECT_EQ(summary["quarantineArchive"].get<std::string>().rfind(
                "C:\\Program Files\\Vexmarl\\Quarantine\\", 0),
            0u)
      << summary;
  EXPECT_NE(SessionLog(errors).find("<Scanning"), std::string::npos);
  EXPECT_NE(errors.find("Session log: " + summary["log"].get<std::string>() + "\n"),
            std::string::npos);
}

// --version names the program, the installed definitions and the machine's system; help is
// on standard output with status 0, a wrong command line on standard error with status 2.
TEST_F(CliScanTest, VersionAndHelp) {
  platform::Machine& machine = image_.Machine();
  definitions::DefinitionDatabase database;
  definitions::DatabaseLoader loader(machine, "C:\\Program Files\\Vexmarl\\", database);
  ASSERT_TRUE(loader.Load("C:\\Program Files\\Vexmarl\\database.db"));
  int status = -1;
  std::string errors;
  EXPECT_EQ(Cli("--version", &status, &errors),
            "Vexmarl 4.23\nDefinitions " + database.version + " (" + database.date +
                ")\nSystem Windows XP 5.1.2600 Service Pack 2\n");
  EXPECT_EQ(status, 0) << errors;
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\Program Files\\Vexmarl\\database.db"));
  EXPECT_EQ(Cli("--version", &status),
            "Vexmarl 4.23\nDefinitions none: no definitions database: database.db is missing "
            "from the program folder\nSystem Windows XP 5.1.2600 Service Pack 2\n");

  const std::string help = Cli("help scan", &status, &errors);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(help.rfind("usage: vexmarl-cli scan [--json] [--remove [--yes]]\n", 0), 0u) << help;
  EXPECT_NE(help.find("Exit status: 0 nothing found"), std::string::npos);
  EXPECT_EQ(Cli("scan --json --help", &status), help);
  EXPECT_NE(Cli("--help", &status)
                .find("\nExit status: 0 nothing found, 1 found, 2 error, 3 "
                      "waits for a restart.\n"),
            std::string::npos);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Cli("scan --yes", &status, &errors), "");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(errors, "usage: vexmarl-cli scan [--json] [--remove [--yes]]\n");
  EXPECT_EQ(Cli("help nothing", &status, &errors), "");
  EXPECT_EQ(status, 2);
}

}  // namespace
