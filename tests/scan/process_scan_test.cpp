// The process and startup-entry phases and process control, with real processes running
// programs of the image.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/md5_text.h"
#include "scan/autorun_references.h"
#include "scan_fixture.h"
#include "support/helper_process.h"

namespace scan {
namespace {

using Lines = std::vector<std::string>;
using testing_support::HelperProcess;

constexpr const char* kGenericRead = "0x80000000";

std::string HolderDigest() {
  std::ifstream in(VEXMARL_TEST_HOLDER, std::ios::binary);
  return foundation::Md5OfText(std::string(std::istreambuf_iterator<char>(in), {}));
}

// Whether the process still runs (a child that ended but was not reaped yet does not).
bool Running(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const char state = line[line.rfind(')') + 2];
  return state != 'Z' && state != 'X';
}

class ProcessScanTest : public ScanFixture {
 protected:
  // The test holder copied into the image under relative (below C:\).
  std::string Install(const std::string& relative) {
    const std::string host = image_.HostPath(relative);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::filesystem::copy_file(VEXMARL_TEST_HOLDER, host,
                               std::filesystem::copy_options::overwrite_existing);
    return host;
  }
  // Runs an installed holder holding a mutex; waits until it runs.
  std::unique_ptr<HelperProcess> Start(const std::string& relative, const std::string& mutex) {
    auto process = std::make_unique<HelperProcess>(
        std::vector<std::string>{Install(relative), image_.Root(), "mutex", mutex});
    EXPECT_EQ(process->Report(), "created");
    return process;
  }
  // A holder that locks its own program file against reading by others.
  std::unique_ptr<HelperProcess> StartLocked(const std::string& relative,
                                             const std::string& windowsPath) {
    auto process = std::make_unique<HelperProcess>(
        std::vector<std::string>{Install(relative), image_.Root(), windowsPath, kGenericRead, "0"});
    EXPECT_EQ(process->Report(), "open");
    return process;
  }
  bool LogHas(const std::string& line) const {
    return std::find(log_.begin(), log_.end(), line) != log_.end();
  }
};

TEST_F(ProcessScanTest, OneCallEndsEveryCopyOfAProgramName) {
  auto one = Start("a/twin.exe", "twin-1");
  auto two = Start("b/twin.exe", "twin-2");
  auto other = Start("c/other.exe", "other");
  Define("");
  ASSERT_EQ(engine_->Processes().Interface(), ProcessInterface::ProcessStatus);
  EXPECT_TRUE(engine_->Processes().EndProcessesByImage("D:\\elsewhere\\TWIN.EXE"));
  EXPECT_EQ(one->Report(), "no report");
  EXPECT_EQ(two->Report(), "no report");
  EXPECT_TRUE(Running(other->Pid()));
  EXPECT_FALSE(engine_->Processes().EndProcessesByImage("C:\\none.exe"));
}

TEST_F(ProcessScanTest, DigestAndFilePassesWithTheirSkipRules) {
  auto spy = Start("spy/spy.exe", "spy");
  auto hidden = Start("SystemRoot/hidden.exe", "hidden");
  Define("<SW NAME=\"A\"><PROCESSES><PROCESS NAME=\"spy.exe\" MD5=\"" + HolderDigest() +
         "\"/></PROCESSES><FILES><FILE NAME=\"C:\\SystemRoot\\hidden.exe\"/></FILES></SW>");
  engine_->ScanProcesses();
  EXPECT_TRUE(LogHas("<PROCESS NAME = \"C:\\spy\\spy.exe\" MD5 = \"" + HolderDigest() + "\"/>"));
  for (const std::string& line : log_)
    if (line.rfind("<PROCESS", 0) == 0) {
      EXPECT_EQ(line.find("SystemRoot"), std::string::npos) << line;
    }
  // Found by its digest, and by the file table in the second pass.
  EXPECT_NE(std::find(listed_.begin(), listed_.end(), "C:\\spy\\spy.exe"), listed_.end());
  EXPECT_NE(std::find(listed_.begin(), listed_.end(), "C:\\SystemRoot\\hidden.exe"), listed_.end());
  EXPECT_EQ(engine_->Counters().processesFound, 2);
  EXPECT_GE(engine_->Counters().processesLogged, 1);
  EXPECT_EQ(engine_->Processes().FoundModules().count("c:\\systemroot\\hidden.exe"), 1u);
}

TEST_F(ProcessScanTest, ALockedProgramNoAutorunNamesIsLoggedWithoutDigestAndLeftRunning) {
  auto locked = StartLocked("spy/locked.exe", "C:\\spy\\locked.exe");
  Define("<SW NAME=\"A\"><PROCESSES><PROCESS NAME=\"locked.exe\" MD5=\"" + HolderDigest() +
         "\"/></PROCESSES></SW>");
  engine_->ScanProcesses();
  EXPECT_TRUE(LogHas("<PROCESS NAME = \"C:\\spy\\locked.exe\" MD5 = \"(null)\"/>"));
  EXPECT_TRUE(Running(locked->Pid()));
  EXPECT_TRUE(listed_.empty());
}

TEST_F(ProcessScanTest, ALockedProgramARunValueNamesIsEndedHashedAndStartedAgain) {
  auto locked = StartLocked("spy/locked.exe", "C:\\spy\\locked.exe");
  WriteRegistryText(
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"Locker\"=\"C:\\\\spy\\\\locked.exe\"\r\n");
  Define("<SW NAME=\"A\"><PROCESSES><PROCESS NAME=\"locked.exe\" MD5=\"" + HolderDigest() +
         "\"/></PROCESSES></SW>");
  engine_->ScanProcesses();
  EXPECT_EQ(locked->Report(), "no report");
  EXPECT_TRUE(LogHas("<PROCESS NAME = \"C:\\spy\\locked.exe\" MD5 = \"" + HolderDigest() + "\"/>"));
  EXPECT_EQ(listed_, (Lines{"C:\\spy\\locked.exe"}));
  const std::string mark = image_.Root() + "/started.txt";
  for (int tries = 0; tries < 100 && !std::filesystem::exists(mark); ++tries) usleep(20000);
  EXPECT_TRUE(std::filesystem::exists(mark)) << "the program was not started again";
}

TEST_F(ProcessScanTest, StartupEntriesAreFoundByTheDigestOfTheirProgram) {
  image_.WriteHostFile("spy/auto.exe", "autorun spyware");
  WriteRegistryText(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"Auto\"=\"C:\\\\Spy\\\\Auto.exe\"\r\n\"Ghost\"=\"C:\\\\nowhere\\\\ghost.exe\"\r\n");
  Define("<SW NAME=\"A\"><PROCESSES><PROCESS NAME=\"auto.exe\" MD5=\"" +
         foundation::Md5OfText("autorun spyware") + "\"/></PROCESSES></SW>");
  engine_->ScanStartupEntries();
  EXPECT_EQ(listed_, (Lines{"c:\\spy\\auto.exe"}));
  EXPECT_EQ(log_.size(), 2u);  // the found line and the process line; the ghost gives none
  EXPECT_TRUE(LogHas("<PROCESS NAME = \"c:\\spy\\auto.exe\" MD5 = \"" +
                     foundation::Md5OfText("autorun spyware") + "\"/>"));
  EXPECT_EQ(engine_->Counters().processesLogged, 1);
}

TEST_F(ProcessScanTest, EndingATreeEndsOnlyTheChildrenThatRunRecognisedModules) {
  Install("spy/child.exe");
  Install("spy/bystander.exe");
  HelperProcess parent({Install("spy/parent.exe"), image_.Root(), "spawn", "C:\\spy\\child.exe",
                        "C:\\spy\\bystander.exe"});
  std::string report;
  do report = parent.Report();
  while (report.rfind("spawned", 0) != 0 && report != "no report");
  std::istringstream ids(report.substr(8));
  pid_t child = 0, bystander = 0;
  ids >> child >> bystander;
  ASSERT_GT(child, 0);
  ASSERT_GT(bystander, 0);
  Define("");
  engine_->Processes().FoundModules().insert("c:\\spy\\child.exe");
  EXPECT_TRUE(
      engine_->Processes().EndProcessTree(static_cast<platform::DWORD>(parent.Pid()), true));
  EXPECT_FALSE(Running(parent.Pid()));
  for (int tries = 0; tries < 50 && Running(child); ++tries) usleep(20000);
  EXPECT_FALSE(Running(child));
  EXPECT_TRUE(Running(bystander));
  kill(bystander, SIGKILL);  // it holds the parent's output open
}

TEST_F(ProcessScanTest, ToolHelpIsUsedWhenTheProcessStatusLibraryIsMissing) {
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\WINDOWS\\system32\\psapi.dll"));
  auto twin = Start("a/twin.exe", "twin");
  Define("");
  ASSERT_EQ(engine_->Processes().Interface(), ProcessInterface::ToolHelp);
  bool listed = false;
  for (const ProcessRecord& record : engine_->Processes().ListProcesses())
    listed = listed ||
             (record.id == static_cast<platform::DWORD>(twin->Pid()) && record.image == "twin.exe");
  EXPECT_TRUE(listed);
  EXPECT_FALSE(engine_->Processes().ListModules(static_cast<platform::DWORD>(twin->Pid())).empty());
  EXPECT_TRUE(engine_->Processes().EndProcessesByImage("C:\\a\\twin.exe"));
  EXPECT_EQ(twin->Report(), "no report");
}

TEST_F(ProcessScanTest, ProcessesOutsideTheMachineCannotBeEnded) {
  Define("");
  EXPECT_FALSE(engine_->Processes().ForceTerminate(static_cast<platform::DWORD>(getppid())));
  EXPECT_TRUE(Running(getppid()));
}

TEST_F(ProcessScanTest, AutorunReferencesAreFoundAndRemovedWithTheirNotifyPackages) {
  image_.WriteHostFile("spy/hook.dll", "x");
  WriteRegistryText(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n"
      "\"Hook\"=\"rundll32 "
      "C:\\\\SPY\\\\HOOK.DLL,Start\"\r\n\"Keep\"=\"C:\\\\other\\\\hook.dll\"\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\"
      "Hooker\\Sub]\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\"
      "Hooker]\r\n\"DllName\"=\"c:\\\\spy\\\\hook.dll\"\r\n");
  Define("");
  EXPECT_EQ(AutorunLocationList().size(), 15u);
  auto logLine = [this](const std::string& line) { log_.push_back(line); };
  EXPECT_TRUE(RemoveAutorunReferences(image_.Machine(), "C:\\spy\\hook.dll", false, logLine));
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(RemoveAutorunReferences(image_.Machine(), "C:\\spy\\hook.dll", true, logLine));
  EXPECT_EQ(log_, (Lines{"<REGVALUE NAME = \"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                         "CurrentVersion\\RunOnce\" VALUE = \"Hook\" RES = \"Removed from "
                         "Registry\"/>"}));
  EXPECT_FALSE(RemoveAutorunReferences(image_.Machine(), "C:\\spy\\hook.dll", false, logLine));
  platform::HKEY key = nullptr;
  EXPECT_NE(image_.Machine().registry().RegOpenKeyExA(
                platform::HKEY_LOCAL_MACHINE,
                "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\Hooker", 0,
                platform::KEY_READ, &key),
            platform::ERROR_SUCCESS);
  EXPECT_FALSE(RemoveAutorunReferences(image_.Machine(), "  ", false, logLine));
}

}  // namespace
}  // namespace scan
