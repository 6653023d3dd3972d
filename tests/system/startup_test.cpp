// Start-up of the installed program as real processes: one instance per brand and version,
// the second instance's hand-over, the "/process" command and a missing resource library.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/installed_program.h"
#include "support/throttle.h"

namespace {

using testing_support::InstallProgram;
using testing_support::ProgramInstance;
using testing_support::RunProgram;
using testing_support::SendToWindow;
using testing_support::TempImage;

constexpr const char* kReadyLine = "Vexmarl 4.23 - anti-spyware scanner and remover";

// The state letter of a host process ("R", "S", "T" stopped, "" when it has ended).
std::string ProcessState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return "";
  std::size_t close = line.rfind(')');
  return close == std::string::npos ? "" : line.substr(close + 2, 1);
}

// A stop or continue signal reaches a process that is running a moment after kill returned:
// the state is looked at until it is (or is not) the one given, for up to five seconds.
bool StateBecomes(pid_t pid, const std::string& state, bool is = true) {
  for (int tries = 0; tries < 500; ++tries) {
    if ((ProcessState(pid) == state) == is) return true;
    usleep(10000);
  }
  return false;
}

bool Alive(pid_t pid) {
  std::string state = ProcessState(pid);
  return !state.empty() && state != "Z" && state != "X";
}

// A program of the image that runs until its test ends: the test holder copied in under a
// given name, holding a mutex.
class ImageProgram {
 public:
  ImageProgram(TempImage& image, const std::string& relative, const std::string& mutex) {
    std::filesystem::create_directories(
        std::filesystem::path(image.HostPath(relative)).parent_path());
    std::filesystem::copy_file(VEXMARL_TEST_HOLDER, image.HostPath(relative),
                               std::filesystem::copy_options::overwrite_existing);
    process_ = std::make_unique<testing_support::HelperProcess>(
        std::vector<std::string>{image.HostPath(relative), image.Root(), "mutex", mutex});
    ready_ = process_->Report() == "created";
    pid_ = FindPid(image.HostPath(relative));
  }
  ~ImageProgram() { process_->Kill(); }
  bool Ready() const { return ready_ && pid_ > 0; }
  pid_t Pid() const { return pid_; }

 private:
  static pid_t FindPid(const std::string& program) {
    pid_t found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::error_code error;
      auto exe = std::filesystem::read_symlink(entry.path() / "exe", error);
      if (!error && exe == program)
        found = std::max<pid_t>(found, std::atoi(entry.path().filename().c_str()));
    }
    return found;
  }
  std::unique_ptr<testing_support::HelperProcess> process_;
  bool ready_ = false;
  pid_t pid_ = 0;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InstallProgram(image_)); }
  TempImage image_{"xp"};
};

TEST_F(StartupTest, SecondStartActivatesTheFirstAndEnds) {
  ProgramInstance first(image_, "");
  ASSERT_TRUE(first.WaitFor(kReadyLine));
  for (const char* commandLine : {"-t ", "-s", "-b", ""}) {
    SCOPED_TRACE(commandLine);
    EXPECT_EQ(RunProgram(image_, commandLine), "");  // ends without a window of its own
    EXPECT_EQ(first.Report(), kReadyLine);           // the first came to the front again
  }
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(first.Report(), "no report");
}

TEST_F(StartupTest, SecondStartWithTheScanSwitchMakesTheFirstScan) {
  ProgramInstance first(image_, "");
  ASSERT_TRUE(first.WaitFor(kReadyLine));
  for (const char* commandLine : {"-t", "-T"}) {
    SCOPED_TRACE(commandLine);
    EXPECT_EQ(RunProgram(image_, commandLine), "");
    EXPECT_EQ(first.Report(), "Scanning");
    EXPECT_TRUE(first.WaitFor("Scan finished"));
  }
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(first.Report(), "no report");
}

TEST_F(StartupTest, AScanIsNotStartedTwiceAndKeepsTheWindowOpenUntilStopped) {
  testing_support::InstallSlowDefinitions(image_, testing_support::kInstalledFolder, 120000);
  ProgramInstance first(image_, "");
  ASSERT_TRUE(first.WaitFor(kReadyLine));
  testing_support::Throttle slow(first.Pid());
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 1231), "0\n");
  EXPECT_EQ(first.Report(), "Scanning");
  EXPECT_EQ(first.Report(), "  [Stop Scan] [Show list only]");  // the scan page's buttons
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 1231), "0\n");      // changes nothing
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(first.Report(),
            "Vexmarl: A scan is running. Stop the scan before closing the program.");
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 3010), "0\n");  // the stop button's message
  std::vector<std::string> reports = first.ReadUntilContaining("Scan stopped");
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(std::count(reports.begin(), reports.end(), "Scanning"), 0);
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(first.Report(), "no report");
}

TEST_F(StartupTest, AnotherBrandRunsAsAFullInstance) {
  const std::string other = "C:\\Program Files\\Other";
  ASSERT_TRUE(InstallProgram(image_, other));
  std::string settings = image_.ReadFile(other + "\\settings.xml");
  settings.replace(settings.find("<APPNAME>Vexmarl"), 16, "<APPNAME>Othermarl");
  image_.WriteFile(other + "\\settings.xml", settings);

  ProgramInstance first(image_, "");
  ASSERT_TRUE(first.WaitFor(kReadyLine));
  ProgramInstance second(image_, "", other);
  EXPECT_TRUE(second.WaitFor("Othermarl 4.23 - anti-spyware scanner and remover"));
  EXPECT_EQ(SendToWindow(image_, "Othermarl", 16), "0\n");
  EXPECT_EQ(second.Report(), "no report");
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(first.Report(), "no report");
}

TEST_F(StartupTest, MissingResourceLibraryStillStarts) {
  image_.Files().DeleteFileA("C:\\Program Files\\Vexmarl\\resources.dll");
  ProgramInstance first(image_, "");
  EXPECT_TRUE(first.WaitFor("Vexmarl 4.23"));  // the program's own default status text
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
}

TEST_F(StartupTest, ProcessCommandEndsOnlyTheFirstProcessOfThatExactName) {
  ProgramInstance interactive(image_, "");
  ASSERT_TRUE(interactive.WaitFor(kReadyLine));
  ImageProgram one(image_, "spy/victim.exe", "victim-1");
  ImageProgram two(image_, "other/victim.exe", "victim-2");
  ASSERT_TRUE(one.Ready() && two.Ready());
  ASSERT_LT(one.Pid(), two.Pid());

  EXPECT_EQ(RunProgram(image_, "/process -k Victim.exe"), "");
  EXPECT_TRUE(Alive(one.Pid()) && Alive(two.Pid()));

  EXPECT_EQ(RunProgram(image_, "/process -k victim.exe"), "");
  EXPECT_FALSE(Alive(one.Pid()));
  EXPECT_TRUE(Alive(two.Pid()));
  // The interactive instance was not asked anything and still runs.
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
  EXPECT_EQ(interactive.Report(), "no report");
}

TEST_F(StartupTest, ProcessCommandSuspendsAndResumes) {
  ImageProgram victim(image_, "spy/victim.exe", "victim");
  ASSERT_TRUE(victim.Ready());
  EXPECT_EQ(RunProgram(image_, "/process -s victim.exe"), "");
  EXPECT_TRUE(StateBecomes(victim.Pid(), "T"));
  EXPECT_EQ(RunProgram(image_, "/process -r victim.exe"), "");
  EXPECT_TRUE(StateBecomes(victim.Pid(), "T", false));
  EXPECT_TRUE(Alive(victim.Pid()));
}

TEST_F(StartupTest, MalformedProcessCommandsStartTheProgram) {
  ImageProgram victim(image_, "spy/victim.exe", "victim");
  ASSERT_TRUE(victim.Ready());
  const std::string longName(260, 'v');
  for (std::string commandLine :
       {std::string("/process -k"), std::string("/process -x victim.exe"),
        "/process -k " + longName, std::string("/Process -k victim.exe")}) {
    SCOPED_TRACE(commandLine);
    ProgramInstance started(image_, commandLine);
    EXPECT_TRUE(started.WaitFor(kReadyLine));
    EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");
    EXPECT_EQ(started.Report(), "no report");
  }
  EXPECT_TRUE(Alive(victim.Pid()));
}

TEST(InstallTest, InstalledProgramRunsFromItsFolderAndClosesOnRequest) {
  TempImage image("xp");
  ASSERT_TRUE(InstallProgram(image));
  testing_support::HelperProcess run(
      {VEXMACHINE_PROGRAM, "run", image.Root(), "C:\\Program Files\\Vexmarl\\Vexmarl.exe"});
  EXPECT_EQ(run.Report(), "Loading the definitions database...");
  EXPECT_EQ(run.Report(), "Reading the definitions...");
  // The browser pages notice comes first: its explanation and its two pairs of boxes.
  EXPECT_EQ(run.Report().rfind("  Vexmarl keeps the start and search pages", 0), 0u);
  EXPECT_EQ(run.Report(), "  [x] saved start: ");
  EXPECT_EQ(run.Report().rfind("  [ ] browser start: ", 0), 0u);
  EXPECT_EQ(run.Report(), "  [x] saved search: ");
  EXPECT_EQ(run.Report().rfind("  [ ] browser search: ", 0), 0u);
  EXPECT_EQ(run.Report(), kReadyLine);
  EXPECT_EQ(SendToWindow(image, "Vexmarl", 16), "0\n");
  EXPECT_EQ(run.Report(), "no report");
}

// With a display the program opens its Qt window instead of the console view; the window
// takes messages from other processes and ends on WM_CLOSE.
TEST(InstallTest, WithADisplayTheProgramOpensItsWindowAndClosesOnRequest) {
  TempImage image("xp");
  ASSERT_TRUE(InstallProgram(image));
  testing_support::HelperProcess run({"/usr/bin/env", "VEXMARL_VIEW=", "QT_QPA_PLATFORM=offscreen",
                                      VEXMACHINE_PROGRAM, "run", image.Root(),
                                      "C:\\Program Files\\Vexmarl\\Vexmarl.exe"});
  std::string answer;
  for (int i = 0; i < 200 && answer.empty(); ++i) {
    answer = SendToWindow(image, "Vexmarl", 0);  // WM_NULL, once the window is there
    if (answer.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(answer, "0\n");
  EXPECT_EQ(SendToWindow(image, "Vexmarl", 1224), "0\n");  // the quarantine page
  EXPECT_EQ(SendToWindow(image, "Vexmarl", 16), "0\n");
  EXPECT_EQ(run.Report(), "no report");  // it ended, and printed nothing on the console
}

TEST(InstallTest, StoresFirstScanDefaultsAndKeepsTheUsersChoicesOnReinstall) {
  TempImage image("xp");
  ASSERT_TRUE(InstallProgram(image));
  auto number = [&](const char* name) {
    platform::HKEY key = nullptr;
    platform::DWORD value = 99, size = sizeof value;
    image.Machine().registry().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0,
                                             platform::KEY_READ, &key);
    image.Machine().registry().RegQueryValueExA(key, name, nullptr, nullptr,
                                                reinterpret_cast<platform::BYTE*>(&value), &size);
    image.Machine().registry().RegCloseKey(key);
    return value;
  };
  for (const char* name :
       {"Cust_Scan_AdvSpyware", "Cust_Scan_IEFAV", "Cust_Scan_Drives", "Cust_Scan_NonExe",
        "Cust_Scan_Registry", "Cust_Scan_Active", "Cust_Scan_Hosts", "Cust_Scan_Drives_Num"})
    EXPECT_EQ(number(name), 1u) << name;

  platform::HKEY key = nullptr;
  image.Machine().registry().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0,
                                           platform::KEY_ALL_ACCESS, &key);
  platform::DWORD off = 0;
  image.Machine().registry().RegSetValueExA(key, "Cust_Scan_Hosts", 0, platform::REG_DWORD,
                                            reinterpret_cast<platform::BYTE*>(&off), sizeof off);
  image.Machine().registry().RegCloseKey(key);
  ASSERT_TRUE(InstallProgram(image));
  EXPECT_EQ(number("Cust_Scan_Hosts"), 0u);
}

}  // namespace

namespace {

// Vexmarl.exe on a terminal (through script), driven as a person would drive its window:
// messages and commands sent with vexmachine send, questions answered on the terminal.
TEST(ConsoleWindowTest, ScanRemoveAndThePagesThroughSentCommands) {
  TempImage image("xp");
  ASSERT_TRUE(InstallProgram(image));
  int status = -1;
  testing_support::RunCommand(std::string(VEXMARL_DATA_FOLDER) + "/demo/plant.sh '" + image.Root() +
                                  "' '" + VEXMACHINE_PROGRAM + "' >/dev/null",
                              &status);
  ASSERT_EQ(status, 0);
  const std::string run = std::string(VEXMACHINE_PROGRAM) + " run '" + image.Root() +
                          "' 'C:\\Program Files\\Vexmarl\\Vexmarl.exe'";
  testing_support::HelperProcess program({"/usr/bin/script", "-qfec", run, "/dev/null"});
  auto waitFor = [&](const std::string& text) {
    for (std::string line = program.Report(); line != "no report"; line = program.Report()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  };
  auto command = [&](unsigned id) {
    return SendToWindow(image, "Vexmarl", 273, std::to_string(id) + " 0");
  };
  ASSERT_TRUE(waitFor(kReadyLine));
  EXPECT_EQ(command(251), "0\n");  // scan now
  ASSERT_TRUE(waitFor("Scanning"));
  ASSERT_TRUE(waitFor("Scan finished"));
  SendToWindow(image, "Vexmarl", 1228);  // home; then back to the list
  EXPECT_TRUE(waitFor("Home"));
  command(232);
  EXPECT_TRUE(waitFor("Scan Results"));
  EXPECT_TRUE(waitFor("C:\\glimmerbar.ini"));
  // The remove button asks on the terminal; the answer is typed there.
  std::thread answer([&] { command(262); });
  EXPECT_TRUE(waitFor("Remove the"));
  program.Write("y\n");
  answer.join();
  EXPECT_TRUE(waitFor("Removal Results"));
  command(253);
  EXPECT_TRUE(waitFor("Quarantine"));
  EXPECT_TRUE(waitFor("[ ] Quarantine"));
  command(254);
  EXPECT_TRUE(waitFor("Ignore List"));
  EXPECT_FALSE(image.Files().PathFileExistsA("C:\\glimmerbar.ini"));
  EXPECT_EQ(SendToWindow(image, "Vexmarl", 16), "0\n");
  EXPECT_FALSE(waitFor("Vexmarl"));  // it ended
}

}  // namespace
