// vexmachine attach: a Windows XP installation that is not running, as a folder tree with
// its own hives, scanned and cleaned through an image of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "foundation/md5_text.h"
#include "platform/code_page.h"
#include "platform/image/image_machine.h"
#include "regedit/registry_io.h"
#include "support/helper_process.h"
#include "support/hive_builder.h"
#include "support/installed_program.h"
#include "support/temp_image.h"

namespace {

namespace fs = std::filesystem;
using testing_support::HiveContents;
using testing_support::RunCommand;

constexpr const char* kUserSid = "S-1-5-21-1004336348-1177238915-682003330-1003";
constexpr const char* kProgram = "'X:\\Vexmarl\\vexmarl-cli.exe'";

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The digest of every file below a folder, by path.
std::map<std::string, std::string> Digests(const std::string& folder) {
  std::map<std::string, std::string> digests;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      digests[entry.path().string()] = foundation::Md5OfText(ReadHostFile(entry.path()));
  return digests;
}

// What differs between two hives' contents, a line each: "-" gone, "+" new or changed. Names
// are compared as the registry compares them, without regard to case; data byte for byte.
std::string Difference(std::map<std::string, std::string> before,
                       std::map<std::string, std::string> after) {
  auto lowered = [](const std::map<std::string, std::string>& contents) {
    std::map<std::string, std::string> lower;
    for (const auto& [name, data] : contents) lower[platform::CodePage().Lower(name)] = data;
    return lower;
  };
  before = lowered(before);
  after = lowered(after);
  std::string lines;
  for (const auto& [name, data] : before) {
    auto found = after.find(name);
    if (found == after.end())
      lines += "- " + name + "\n";
    else if (found->second != data)
      lines += "+ " + name + "\n";
  }
  for (const auto& [name, data] : after)
    if (!before.count(name)) lines += "+ " + name + "\n";
  return lines;
}

class AttachTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "attach-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    disk_ = folder_ + "/disk";
    image_ = folder_ + "/image";
    // The installation: an XP image's drive C with the demo infection, and the image's
    // registry written into hives where the system keeps them.
    int status = -1;
    RunCommand(std::string(VEXMARL_DATA_FOLDER) + "/demo/plant.sh '" + reference_.Root() + "' '" +
                   VEXMACHINE_PROGRAM + "'",
               &status);
    ASSERT_EQ(status, 0);
    fs::copy(reference_.Root() + "/drives/C", disk_, fs::copy_options::recursive);
    // The system's own programs are Windows programs, which do not run here.
    for (const char* program : {"WINDOWS/regedit.exe", "WINDOWS/system32/rundll32.exe"})
      std::ofstream(disk_ + "/" + program, std::ios::trunc) << "MZ a Windows program";
    const std::string config = disk_ + "/WINDOWS/system32/config/";
    fs::create_directories(config);
    // Names in the case a real disk may show them.
    WriteHive(config + "system", "HKEY_LOCAL_MACHINE\\SYSTEM");
    WriteHive(config + "SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE");
    WriteHive(config + "default", "HKEY_USERS\\.DEFAULT");
    WriteHive(UserHive(), std::string("HKEY_USERS\\") + kUserSid);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string UserHive() const { return disk_ + "/Documents and Settings/User/NTUSER.DAT"; }
  std::string SoftwareHive() const { return disk_ + "/WINDOWS/system32/config/SOFTWARE"; }

  void WriteHive(const std::string& path, const std::string& key, const std::string& more = "") {
    std::string text, error;
    ASSERT_TRUE(
        regedit::ExportRegistryText(reference_.Machine().registry(), key, true, text, error))
        << error;
    ASSERT_TRUE(testing_support::WriteEmptyHive(path));
    ASSERT_TRUE(testing_support::FillHive(path, text + more, key, error)) << error;
  }

  std::string Vexmachine(const std::string& arguments, int* status) {
    return RunCommand(std::string(VEXMACHINE_PROGRAM) + " " + arguments + " 2>&1", status);
  }
  std::string Cli(const std::string& image, const std::string& arguments, int* status) {
    return RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image + "' " + kProgram + " " +
                          arguments + " </dev/null 2>'" + folder_ + "/errors.txt'",
                      status);
  }
  std::string Errors() { return ReadHostFile(folder_ + "/errors.txt"); }
  // The session log that the last run of the program named, read from drive X:.
  std::string SessionLog() {
    const std::string errors = Errors(), marker = "Session log: X:\\";
    const std::size_t at = errors.find(marker);
    if (at == std::string::npos) return "no log named";
    std::string path = errors.substr(at + marker.size());
    path.erase(path.find('\n'));
    std::replace(path.begin(), path.end(), '\\', '/');
    return ReadHostFile(image_ + "/drives/X/" + path);
  }

  // Attaches the disk and installs the program on drive X:.
  void AttachAndInstall(const std::string& options) {
    int status = -1;
    const std::string output =
        Vexmachine("attach '" + image_ + "' --windows '" + disk_ + "' " + options, &status);
    ASSERT_EQ(status, 0) << output;
    Vexmachine("install '" + image_ + "' --folder 'X:\\Vexmarl'", &status);
    ASSERT_EQ(status, 0);
  }

  std::string folder_, disk_, image_;
  testing_support::TempImage reference_{"xp"};
};

TEST_F(AttachTest, ScansEveryTraceReadOnlyAndWritesNothingUnderTheRoot) {
  const auto before = Digests(disk_);
  AttachAndInstall("");
  int status = -1;
  const std::string info = Vexmachine("info '" + image_ + "'", &status);
  EXPECT_EQ(status, 0);
  for (const char* line : {"os-name\tWindows XP\n", "user\tUser\n", "code-page\t1252\n",
                           "access\tread-only\n", "folder\t40\tC:\\Documents and Settings\\User\n"})
    EXPECT_NE(info.find(line), std::string::npos) << line << info;

  // The same traces as a scan of the image the installation was made from.
  const std::string scan = Cli(image_, "scan", &status);
  EXPECT_EQ(status, 1) << Errors();
  ASSERT_TRUE(testing_support::InstallProgram(reference_));
  const std::string expected =
      RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + reference_.Root() +
                     "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' scan "
                     "</dev/null 2>/dev/null",
                 &status);
  EXPECT_EQ(scan, expected);
  EXPECT_NE(scan.find("RegistryKey\tGlimmerbar Toolbar"), std::string::npos) << scan;
  EXPECT_NE(Errors().find("processes logged 0"), std::string::npos) << Errors();

  // A removal cannot change a disk attached read-only: every item stays.
  const std::string removal = Cli(image_, "scan --remove --yes", &status);
  EXPECT_EQ(removal.find("removed\t"), std::string::npos) << removal;
  EXPECT_EQ(Cli(image_, "scan", &status), expected);

  const std::string detached = Vexmachine("detach '" + image_ + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(detached, "kept " + image_ + "/drives/X: the program, its logs and its quarantine\n");
  EXPECT_FALSE(fs::exists(image_ + "/registry.db"));
  EXPECT_FALSE(fs::exists(image_ + "/drives/C"));
  EXPECT_EQ(Digests(disk_), before);
}

TEST_F(AttachTest, WritableRemovalChangesOnlyTheTracesAndRestoreWritesThemBack) {
  const auto software = HiveContents(SoftwareHive()), user = HiveContents(UserHive());
  const std::string softwareBytes = ReadHostFile(SoftwareHive());
  const std::string userBytes = ReadHostFile(UserHive());
  AttachAndInstall("--writable");
  int status = -1;
  Cli(image_, "scan --remove --yes", &status);
  EXPECT_EQ(status, 0) << Errors();
  EXPECT_NE(SessionLog().find("<Information Message = \"Restart Step Skipped: the System Is Not "
                              "Running\"/>"),
            std::string::npos);
  {
    // The program's start-up entry is the image's own: the disk's system would not find it.
    auto machine = platform::ImageMachine::Open(image_);
    ASSERT_TRUE(machine);
    platform::HKEY run = nullptr;
    ASSERT_EQ(machine->registry().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE,
                                                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                                0, platform::KEY_ALL_ACCESS, &run),
              0);
    EXPECT_EQ(machine->registry().RegSetValueExA(run, "Vexmarl", 0, platform::REG_SZ,
                                                 reinterpret_cast<const platform::BYTE*>("X:"), 3),
              0);
    machine->registry().RegCloseKey(run);
  }
  EXPECT_FALSE(fs::exists(disk_ + "/glimmerbar.ini"));
  EXPECT_FALSE(fs::exists(disk_ + "/Program Files/Glimmerbar"));
  EXPECT_FALSE(fs::exists(disk_ + "/WINDOWS/qfk32.dll"));

  // In the hives the traces are gone, blanked or repaired (the browser's pages become the
  // program's under both roots), and every other key and value is as it was.
  const std::string pages =
      "+ microsoft\\internet explorer\\main\\search page\n"
      "+ microsoft\\internet explorer\\main\\start page\n";
  EXPECT_EQ(Difference(software, HiveContents(SoftwareHive())),
            "- glimmerbar\n- glimmerbar\\version\n" + pages +
                "+ microsoft\\windows\\currentversion\\run\\glimmerbar\n");
  EXPECT_EQ(Difference(user, HiveContents(UserHive())),
            "+ software\\" + pages.substr(2, pages.find('\n') - 1) + "+ software\\" +
                pages.substr(pages.find('\n') + 3) +
                "- software\\quillfeather\n- software\\quillfeather\\log\n");
  EXPECT_FALSE(fs::exists(disk_ + "/WINDOWS/system32/config/system.vexmarl-before"));

  // The quarantine puts the registry's data back into the hives (repaired values are not part
  // of it); the first state is kept once.
  std::istringstream listed(Cli(image_, "quarantine list", &status));
  ASSERT_EQ(status, 0);
  for (std::string line; std::getline(listed, line);) {
    Cli(image_, "quarantine restore " + line.substr(0, line.find('\t')), &status);
    EXPECT_EQ(status, 0) << Errors();
  }
  EXPECT_EQ(Difference(software, HiveContents(SoftwareHive())), pages);
  EXPECT_EQ(Difference(user, HiveContents(UserHive())),
            "+ software\\" + pages.substr(2, pages.find('\n') - 1) + "+ software\\" +
                pages.substr(pages.find('\n') + 3));
  EXPECT_EQ(ReadHostFile(SoftwareHive() + ".vexmarl-before"), softwareBytes);
  EXPECT_EQ(ReadHostFile(UserHive() + ".vexmarl-before"), userBytes);
}

TEST_F(AttachTest, AHiveThatCannotBeWrittenKeepsEveryItemOfIt) {
  const std::string userBytes = ReadHostFile(UserHive());
  fs::create_directory(UserHive() + ".vexmarl-new");  // where the hive's new state would go
  AttachAndInstall("--writable");
  int status = -1;
  const std::string removal = Cli(image_, "scan --remove --yes", &status);
  EXPECT_NE(removal.find("removed\t3\tRegistryKey\tGlimmerbar Toolbar\tsoftware\\glimmerbar\n"),
            std::string::npos)
      << removal;
  EXPECT_EQ(removal.find("removed\t3\tRegistryKey\tQuillfeather"), std::string::npos) << removal;
  EXPECT_EQ(removal.find("removed\t7\t"), std::string::npos) << removal;
  EXPECT_EQ(ReadHostFile(UserHive()), userBytes);
  EXPECT_FALSE(fs::exists(UserHive() + ".vexmarl-before"));
  // What stays is found again.
  EXPECT_NE(Cli(image_, "scan", &status).find("Quillfeather Keylogger\tsoftware\\quillfeather"),
            std::string::npos);
}

TEST_F(AttachTest, RefusesBadInputInOneLineAndMakesNothing) {
  const std::string softwareBytes = ReadHostFile(SoftwareHive());
  auto refused = [&](const std::string& root, const std::string& more, const std::string& text) {
    int status = -1;
    const std::string output =
        Vexmachine("attach '" + image_ + "' --windows '" + root + "' " + more, &status);
    EXPECT_EQ(status, 2) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_NE(output.find(text), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(image_)) << output;
  };
  refused(folder_, "", ": not a Windows system folder (no WINDOWS\\system32\\config");
  refused(folder_ + "/nowhere", "", "/nowhere: no such folder");
  refused(disk_, "--user Nobody", "no profile named Nobody (profiles: User)");

  std::ofstream(SoftwareHive(), std::ios::binary | std::ios::trunc)
      << softwareBytes.substr(0, 5000);
  refused(disk_, "", "SOFTWARE: damaged or not a registry hive");
  WriteHive(SoftwareHive(), "HKEY_LOCAL_MACHINE\\SOFTWARE",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
            "\"CurrentVersion\"=\"10.0\"\r\n");
  refused(disk_, "", "SOFTWARE: the hive of Windows NT 10.0, a version Vexmarl does not clean");
  std::ofstream(SoftwareHive(), std::ios::binary | std::ios::trunc) << softwareBytes;
  fs::remove(disk_ + "/WINDOWS/system32/config/system");
  refused(disk_, "", "/WINDOWS/system32/config/SYSTEM: missing");
}

TEST_F(AttachTest, TakesEveryProfileAndTheOneUsedLastAsTheUser) {
  // Bob's profile, used after User's, and Carol's, whose hive is missing.
  const std::string bob = "S-1-5-21-1004336348-1177238915-682003330-1004";
  const std::string list =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
  WriteHive(SoftwareHive(), "HKEY_LOCAL_MACHINE\\SOFTWARE",
            list + bob +
                "]\r\n\"ProfileImagePath\"=hex(2):25,53,79,73,74,65,6d,44,72,69,76,65,25,"
                "5c,44,6f,63,75,6d,65,6e,74,73,20,61,6e,64,20,53,65,74,74,69,6e,67,73,5c,"
                "42,6f,62,00\r\n" +
                list +
                "S-1-5-21-1004336348-1177238915-682003330-1005]\r\n"
                "\"ProfileImagePath\"=\"C:\\\\Documents and Settings\\\\Carol\"\r\n");
  const std::string bobHive = disk_ + "/Documents and Settings/Bob/NTUSER.DAT";
  fs::create_directories(disk_ + "/Documents and Settings/Bob");
  WriteHive(bobHive, std::string("HKEY_USERS\\") + kUserSid,
            std::string("[HKEY_USERS\\") + kUserSid + "\\Software\\Bobs]\r\n");
  fs::last_write_time(UserHive(), fs::last_write_time(bobHive) - std::chrono::hours(1));
  // User's classes, in a hive of their own that HKEY_CLASSES_ROOT shows for that user.
  const std::string classes = std::string("HKEY_USERS\\") + kUserSid + "\\Software\\Classes";
  const std::string classesHive =
      disk_ + "/Documents and Settings/User/Local Settings/Application Data/Microsoft/Windows";
  fs::create_directories(classesHive);
  WriteHive(classesHive + "/UsrClass.dat", classes, "[" + classes + "\\.glm]\r\n@=\"glmfile\"\r\n");

  int status = -1;
  std::string output = Vexmachine("attach '" + image_ + "' --windows '" + disk_ + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output,
            "vexmachine: warning: profile Carol (S-1-5-21-1004336348-1177238915-682003330-1005) "
            "left out: no NTUSER.DAT in C:\\Documents and Settings\\Carol\n"
            "attached " +
                disk_ + " as drive C (read-only), current user Bob\n");
  {
    auto machine = platform::ImageMachine::Open(image_);
    ASSERT_TRUE(machine);
    platform::ImageRegistry& registry = machine->registry();
    platform::HKEY key = nullptr;
    for (const std::string& path :
         {bob + "\\Software\\Bobs", std::string(kUserSid) + "\\Software\\Quillfeather"}) {
      EXPECT_EQ(
          registry.RegOpenKeyExA(platform::HKEY_USERS, path.c_str(), 0, platform::KEY_READ, &key),
          0)
          << path;
      registry.RegCloseKey(key);
    }
    EXPECT_EQ(registry.RegOpenKeyExA(platform::HKEY_CURRENT_USER, "Software\\Bobs", 0,
                                     platform::KEY_READ, &key),
              0);
    registry.RegCloseKey(key);
    char profile[platform::MAX_PATH] = {};
    machine->system().SHGetFolderPathA(nullptr, platform::CSIDL_PROFILE, nullptr, 0, profile);
    EXPECT_STREQ(profile, "C:\\Documents and Settings\\Bob");
  }
  Vexmachine("detach '" + image_ + "'", &status);
  EXPECT_EQ(status, 0);
  output = Vexmachine("attach '" + image_ + "' --windows '" + disk_ + "' --user user", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find("current user User\n"), std::string::npos) << output;
  auto machine = platform::ImageMachine::Open(image_);
  ASSERT_TRUE(machine);
  platform::HKEY key = nullptr;
  EXPECT_EQ(machine->registry().RegOpenKeyExA(platform::HKEY_CLASSES_ROOT, ".glm", 0,
                                              platform::KEY_READ, &key),
            0);
  machine->registry().RegCloseKey(key);
}

}  // namespace
