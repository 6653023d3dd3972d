// The quarantine step and its archives on a real image: names, whole archives and registry
// backups, restores byte for byte, and archives that must not be restored.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/folder_path.h"
#include "foundation/whole_file.h"
#include "regedit/registry_io.h"
#include "removal/quarantine_archive.h"
#include "removal/quarantine_run.h"
#include "scan/hosts_file.h"
#include "support/fault_injection.h"
#include "support/temp_image.h"

namespace removal {
namespace {

using namespace platform;
using Lines = std::vector<std::string>;
using scan::FoundItem;
using scan::FoundItemKind;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";
constexpr std::time_t kStepTime = 1110204309;  // 7 March 2005, 14:05:09 UTC

std::string Le(std::uint64_t value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Header(std::uint32_t capacity, std::uint32_t count, std::uint32_t total,
                   std::uint64_t last, std::uint64_t end, const std::vector<std::uint64_t>& slots) {
  std::string header =
      Le(1, 4) + Le(capacity, 4) + Le(count, 4) + Le(total, 4) + Le(last, 8) + Le(end, 8);
  for (std::uint64_t slot : slots) header += Le(slot, 8);
  return header;
}

std::string Text(const std::string& text) {
  return Le(text.size() + 1, 4) + text + '\0';
}

class QuarantineTest : public ::testing::Test {
 protected:
  QuarantineTest() : image_("xp") {
    entry_.name = "Spy";
    setenv("TZ", "UTC", 1);
  }

  QuarantineStep Step() {
    return QuarantineStep{image_.Machine(), kProgramFolder,
                          [this](const std::string& line) {
                            std::lock_guard guard(logLock_);
                            log_.push_back(line);
                          },
                          [] { return kStepTime; }};
  }
  FoundItem Item(FoundItemKind kind, const std::string& text) {
    return FoundItem{true, text, &entry_, kind};
  }
  std::string Quarantine(const std::vector<FoundItem>& items) {
    std::string path;
    EXPECT_TRUE(QuarantineRun(Step(), items, &path));
    return path;
  }
  std::string HostBytes(const std::string& windowsPath) {
    auto host = image_.Files().HostPathOf(windowsPath);
    std::ifstream in(host.value_or(""), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string TempFolder() {
    char buffer[MAX_PATH];
    image_.Files().GetTempPathA(sizeof buffer, buffer);
    return buffer;
  }
  // The fields of a file entry as the archive holds them.
  std::string FileEntry(std::uint16_t type, const std::string& path, const std::string& name,
                        const std::string& content) {
    HANDLE file = image_.Files().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr);
    FILETIME times[3];
    image_.Files().GetFileTime(file, &times[0], &times[1], &times[2]);
    CloseHandle(file);
    std::string entry = Le(type, 2) + Text(path) + Text(name) + Le(content.size(), 8);
    for (const FILETIME& time : times)
      entry += Le(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime, 8);
    return entry + content;
  }
  void ImportRegistry(const std::string& text) {
    std::string error;
    ASSERT_TRUE(regedit::ImportRegistryText(image_.Machine().registry(), text, error)) << error;
  }

  testing_support::TempImage image_;
  definitions::SpywareEntry entry_;
  std::mutex logLock_;
  Lines log_;
};

TEST_F(QuarantineTest, RegistryOnlySelectionIsOneBackupEntryAtOffset40) {
  ImportRegistry(
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy\\Sub]\r\n\"k\"=dword:00000007\r\n"
      "[HKEY_CURRENT_USER\\Software\\Spy]\r\n\"Home\"=\"http://spy\"\r\n");
  const std::string backupPath = TempFolder() + "regbackup.reg";
  // Written while the backup file still exists, so that its times are the stored ones.
  const std::string path = Quarantine({Item(FoundItemKind::RegistryKey, "software\\spy\\sub"),
                                       Item(FoundItemKind::RegistryValue, "software\\spy\\home")});
  EXPECT_EQ(path, "C:\\Program Files\\Vexmarl\\Quarantine\\Quarantine07-03-2005-14-05-09.vmq");
  EXPECT_FALSE(image_.Files().PathFileExistsA(backupPath.c_str()));
  const std::string backup =
      "Windows Registry Editor Version 5.00\r\n"
      "[HKEY_LOCAL_MACHINE\\software\\spy\\sub]\r\n"
      "\"k\" = dword:00000007\r\n"
      "\r\n[HKEY_CURRENT_USER\\software\\spy]\r\n"
      "\"home\" = \"http://spy\"\r\n";
  const std::string archive = HostBytes(path);
  const std::string entryHead = Le(3, 2) + Text(backupPath) + Text("REG BACKUP");
  ASSERT_EQ(archive.size(), 40 + entryHead.size() + 32 + backup.size());
  EXPECT_EQ(archive.substr(0, 40), Header(0, 1, 2, 40, archive.size(), {40}));
  EXPECT_EQ(archive.substr(40, entryHead.size()), entryHead);
  EXPECT_EQ(archive.substr(40 + entryHead.size(), 8), Le(backup.size(), 8));
  EXPECT_EQ(archive.substr(archive.size() - backup.size()), backup);
  EXPECT_EQ(ReadItemTotal(image_.Files(), path), 2u);
  EXPECT_EQ(log_, (Lines{"<Quarantines>", "<QTFILE PATH = \"" + path + "\" />",
                         "<INFO ACTION = \"Added\"/>", "<INFO TIME = \"07-03-2005-14-05-09\"/>",
                         "<REGKEY RES = \"Exporting - software\\spy\\sub\"/>",
                         "<REGVALUE RES = \"home = http://spy\n\"/>", "</Quarantines>",
                         "<QInformation Message = \"Quarantining File REG BACKUP - " + backupPath +
                             "\"/>"}));
}

TEST_F(QuarantineTest, ArchivesOfOneSecondAreNumbered) {
  EXPECT_EQ(Quarantine({}),
            std::string(kProgramFolder) + "Quarantine\\Quarantine07-03-2005-14-05-09.vmq");
  EXPECT_EQ(Quarantine({}),
            std::string(kProgramFolder) + "Quarantine\\Quarantine07-03-2005-14-05-09[1].vmq");
  EXPECT_EQ(Quarantine({}),
            std::string(kProgramFolder) + "Quarantine\\Quarantine07-03-2005-14-05-09[2].vmq");
}

TEST_F(QuarantineTest, ThreeFilesAreStoredWholeAndComeBackByteForByte) {
  std::string big(1 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  const std::string page(4096, 'p');
  image_.WriteFile("C:\\empty.dat", "");
  image_.WriteFile("C:\\page.dat", page);
  ASSERT_TRUE(foundation::EnsureFolderPath(image_.Files(), "C:\\Spy Folder"));
  image_.WriteFile("C:\\Spy Folder\\big.dat", big);
  const std::string emptyEntry = FileEntry(1, "C:\\empty.dat", "Spy", "");
  const std::string pageEntry = FileEntry(1, "C:\\page.dat", "Spy", page);
  const std::string bigEntry = FileEntry(1, "C:\\Spy Folder\\big.dat", "Spy", big);
  const std::string path = Quarantine({Item(FoundItemKind::File, "C:\\empty.dat"),
                                       Item(FoundItemKind::File, "C:\\page.dat"),
                                       Item(FoundItemKind::File, "C:\\Spy Folder\\big.dat")});
  const std::string archive = HostBytes(path);
  // Capacity 3: the slots end at 32 + 4 * 8 = 64. A zero-length file's entry is L1 + L2 + 42.
  const std::uint64_t first = 64, second = first + emptyEntry.size(),
                      third = second + pageEntry.size(), backup = third + bigEntry.size();
  EXPECT_EQ(emptyEntry.size(), Text("C:\\empty.dat").size() + Text("Spy").size() + 2 + 32);
  EXPECT_EQ(archive.substr(0, 32),
            Header(3, 4, 3, backup, archive.size(), {}));  // four entries, three items
  EXPECT_EQ(archive.substr(32, 32), Le(first, 8) + Le(second, 8) + Le(third, 8) + Le(backup, 8));
  EXPECT_EQ(archive.substr(first, backup - first), emptyEntry + pageEntry + bigEntry);
  EXPECT_EQ(archive.substr(backup, 2), Le(3, 2));

  // Everything goes, then comes back.
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\Spy Folder\\big.dat"));
  ASSERT_TRUE(image_.Files().DeleteFileA("C:\\empty.dat"));
  image_.WriteFile("C:\\page.dat", "changed since");
  ASSERT_TRUE(RestoreArchive(image_.Machine(), path));
  EXPECT_EQ(image_.ReadFile("C:\\empty.dat"), "");
  EXPECT_EQ(image_.ReadFile("C:\\page.dat"), page);
  EXPECT_TRUE(image_.ReadFile("C:\\Spy Folder\\big.dat") == big);
  EXPECT_TRUE(image_.Files().PathFileExistsA(path.c_str()));  // the page deletes it, not this
}

TEST_F(QuarantineTest, HostsEntriesKeepTheirHostsFilesWholeAndARestorePutsTheLinesBack) {
  const std::string windows = "C:\\WINDOWS\\hosts",
                    etc = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
  const std::string windowsBytes = "1.2.3.4 spy.example\n";
  const std::string etcBytes = "127.0.0.1 localhost\r\n0.0.0.0\tav.example\n::1\tspy.example";
  image_.WriteFile(windows, windowsBytes);
  image_.WriteFile(etc, etcBytes);
  image_.WriteFile("C:\\spy.dat", "spy");
  const std::string windowsEntry = FileEntry(1, windows, "Spy", windowsBytes);
  const std::string etcEntry = FileEntry(1, etc, "Spy", etcBytes);
  const std::string fileEntry = FileEntry(1, "C:\\spy.dat", "Spy", "spy");
  // The files go in whole, once, where the first hosts entry stands.
  const std::string path = Quarantine({Item(FoundItemKind::HostsEntry, "spy.example"),
                                       Item(FoundItemKind::File, "C:\\spy.dat"),
                                       Item(FoundItemKind::HostsEntry, "av.example")});
  const std::string archive = HostBytes(path);
  const std::uint64_t first = 32 + 4 * 8, second = first + windowsEntry.size(),
                      third = second + etcEntry.size(), backup = third + fileEntry.size();
  EXPECT_EQ(archive.substr(0, 64),
            Header(3, 4, 3, backup, archive.size(), {first, second, third, backup}));
  EXPECT_EQ(archive.substr(first, backup - first), windowsEntry + etcEntry + fileEntry);
  EXPECT_EQ(Lines(log_.begin() + 4, log_.begin() + 7),
            (Lines{"<QInformation Message = \"Quarantining File Spy - " + windows + "\"/>",
                   "<QInformation Message = \"Quarantining File Spy - " + etc + "\"/>",
                   "<QInformation Message = \"Quarantining File Spy - C:\\spy.dat\"/>"}));

  scan::HostsFiles hosts(image_.Machine());
  hosts.BuildHostsFileSet();
  ASSERT_TRUE(hosts.RemoveHostsEntries({"spy.example", "av.example"}));
  EXPECT_EQ(image_.ReadFile(windows), "");
  EXPECT_EQ(image_.ReadFile(etc), "127.0.0.1 localhost\r\n");
  ASSERT_TRUE(RestoreArchive(image_.Machine(), path));
  EXPECT_EQ(image_.ReadFile(windows), windowsBytes);
  EXPECT_EQ(image_.ReadFile(etc), etcBytes);
  // Without hosts entries in the selection the hosts files stay out.
  EXPECT_EQ(ReadItemTotal(image_.Files(), Quarantine({Item(FoundItemKind::File, "C:\\spy.dat")})),
            1u);
  // A spyware entry without a name: its files are file entries still, not the registry backup.
  entry_.name.clear();
  const std::string unnamed = HostBytes(Quarantine({Item(FoundItemKind::HostsEntry, "x")}));
  EXPECT_NE(unnamed.find(FileEntry(1, windows, "", windowsBytes)), std::string::npos);
}

TEST_F(QuarantineTest, AFileWhoseFolderIsGoneNeedsAFolderEntryBeforeIt) {
  ASSERT_TRUE(foundation::EnsureFolderPath(image_.Files(), "C:\\Gone"));
  image_.WriteFile("C:\\Gone\\a.txt", "a");
  const std::string without = Quarantine({Item(FoundItemKind::File, "C:\\Gone\\a.txt")});
  const std::string with = Quarantine(
      {Item(FoundItemKind::Folder, "C:\\Gone"), Item(FoundItemKind::File, "C:\\Gone\\a.txt")});
  image_.Files().DeleteFileA("C:\\Gone\\a.txt");
  image_.Files().RemoveDirectoryA("C:\\Gone");
  // The entry fails, so the archive reports failure and is kept by the page.
  EXPECT_FALSE(RestoreArchive(image_.Machine(), without));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\Gone"));
  EXPECT_TRUE(RestoreArchive(image_.Machine(), with));
  EXPECT_EQ(image_.ReadFile("C:\\Gone\\a.txt"), "a");
}

TEST_F(QuarantineTest, DamagedArchivesAreRefusedAndLeaveTargetsAlone) {
  image_.WriteFile("C:\\one.txt", "one");
  image_.WriteFile("C:\\two.txt", "two");
  const std::string path = Quarantine(
      {Item(FoundItemKind::File, "C:\\one.txt"), Item(FoundItemKind::File, "C:\\two.txt")});
  const std::string host = *image_.Files().HostPathOf(path);
  const std::string good = HostBytes(path);
  auto rewrite = [&](const std::string& bytes) {
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
  };
  auto reset = [&] {
    image_.Files().DeleteFileA("C:\\one.txt");
    image_.Files().DeleteFileA("C:\\two.txt");
  };
  // An unknown entry type ends the restore: the first file is back, the second is not.
  std::string bytes = good;
  const std::uint64_t second = static_cast<unsigned char>(bytes[40]) |
                               static_cast<unsigned>(static_cast<unsigned char>(bytes[41])) << 8;
  bytes[second] = 9;
  rewrite(bytes);
  reset();
  EXPECT_FALSE(RestoreArchive(image_.Machine(), path));
  EXPECT_EQ(image_.ReadFile("C:\\one.txt"), "one");
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\two.txt"));
  // A truncated archive writes no short file as if it were whole.
  rewrite(good.substr(0, good.size() - 1));
  reset();
  EXPECT_FALSE(RestoreArchive(image_.Machine(), path));
  // A header that claims more slots than the file holds.
  bytes = good;
  bytes[4] = '\xff';
  bytes[5] = '\xff';
  rewrite(bytes);
  EXPECT_FALSE(RestoreArchive(image_.Machine(), path));
  EXPECT_FALSE(RestoreArchive(image_.Machine(), "C:\\no such.vmq"));
  EXPECT_EQ(ReadItemTotal(image_.Files(), "C:\\no such.vmq"), 0u);
}

TEST_F(QuarantineTest, AnArchiveThatWasNeverClosedIsNotRestored) {
  image_.WriteFile("C:\\kept.txt", "kept");
  std::string path;
  {
    QuarantineWriter writer(image_.Files(), [](const std::string&) {});
    ASSERT_TRUE(writer.Create("C:\\crash", 1, path));
    ASSERT_TRUE(writer.AddFile("C:\\kept.txt", "Spy"));
  }  // a crash before Close
  EXPECT_EQ(HostBytes(path).substr(0, 32), Header(1, 0, 0, kNotClosed, 48, {}));
  image_.Files().DeleteFileA("C:\\kept.txt");
  EXPECT_FALSE(RestoreArchive(image_.Machine(), path));
  EXPECT_EQ(ReadItemTotal(image_.Files(), path), 0u);
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\kept.txt"));
}

TEST_F(QuarantineTest, EntryOffsetsUseAllSixtyFourBits) {
  // A sparse archive whose only entry lies past 4 GiB; the low 32 bits of its offset point
  // at a decoy entry right after the slot table.
  const std::uint64_t far = (std::uint64_t{1} << 32) + 48;
  const std::string decoy =
      Le(1, 2) + Text("C:\\target.txt") + Text("Spy") + Le(4, 8) + std::string(24, '\0') + "near";
  const std::string real =
      Le(1, 2) + Text("C:\\target.txt") + Text("Spy") + Le(3, 8) + std::string(24, '\0') + "far";
  const std::string host = image_.HostPath("far.vmq");
  {
    std::ofstream out(host, std::ios::binary);
    out << Header(1, 1, 1, far, far + real.size(), {far, 0}) << decoy;
    out.seekp(static_cast<std::streamoff>(far));
    out << real;
  }
  ASSERT_TRUE(RestoreArchive(image_.Machine(), "C:\\far.vmq"));
  EXPECT_EQ(image_.ReadFile("C:\\target.txt"), "far");
}

TEST_F(QuarantineTest, RegistryBackupComesBackThroughTheRegistryEditor) {
  ImportRegistry(
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy]\r\n\"Path\"=hex(2):25,61,00\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy\\Deep]\r\n@=\"x\"\r\n");
  const std::string path = Quarantine({Item(FoundItemKind::RegistryKey, "software\\spy")});
  ASSERT_EQ(image_.Machine().registry().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy"),
            ERROR_SUCCESS);
  ASSERT_TRUE(RestoreArchive(image_.Machine(), path));
  ImageRegistry& registry = image_.Machine().registry();
  HKEY key;
  ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  auto values = ReadKeyValues(registry, key);
  registry.RegCloseKey(key);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].type, REG_EXPAND_SZ);
  EXPECT_EQ(values[0].data, std::string("%a\0", 3));
  EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Spy\\Deep", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  registry.RegCloseKey(key);
}

TEST_F(QuarantineTest, TwoStepsAtOnceKeepTheirOwnRegistryBackups) {
  ImportRegistry(
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\First]\r\n\"a\"=\"1\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Second]\r\n\"b\"=\"2\"\r\n");
  std::string paths[2];
  std::thread other([&] {
    QuarantineRun(Step(), {Item(FoundItemKind::RegistryKey, "software\\second")}, &paths[1]);
  });
  QuarantineRun(Step(), {Item(FoundItemKind::RegistryKey, "software\\first")}, &paths[0]);
  other.join();
  ASSERT_NE(paths[0], paths[1]);
  const std::string first = HostBytes(paths[0]), second = HostBytes(paths[1]);
  EXPECT_NE(first.find("[HKEY_LOCAL_MACHINE\\software\\first]"), std::string::npos);
  EXPECT_EQ(first.find("second]"), std::string::npos);
  EXPECT_NE(second.find("[HKEY_LOCAL_MACHINE\\software\\second]"), std::string::npos);
  EXPECT_EQ(second.find("first]"), std::string::npos);
}

TEST_F(QuarantineTest, AStepThatCannotCreateItsArchiveFails) {
  image_.WriteFile("C:\\Blocked", "a file where the program folder should be");
  QuarantineStep step = Step();
  step.programFolder = "C:\\Blocked\\";
  std::string path;
  EXPECT_FALSE(QuarantineRun(step, {}, &path));
  EXPECT_EQ(log_,
            (Lines{"<Quarantines>", "<ERROR = \"Failed to create file\" />", "</Quarantines>"}));
}

}  // namespace
TEST_F(QuarantineTest, EachFailingCallOfAStepOrARestoreLosesNothing) {
  const std::string page(5000, 'p');
  image_.WriteFile("C:\\spy.dat", "spy bytes");
  image_.WriteFile("C:\\page.dat", page);
  const std::vector<FoundItem> items = {Item(FoundItemKind::File, "C:\\spy.dat"),
                                        Item(FoundItemKind::File, "C:\\page.dat")};
  const std::string store = image_.HostPath("Program Files/Vexmarl/Quarantine");
  bool done = false;
  std::string path;
  // The step, with the archive's disk failing (full), then with reads failing (a bad sector):
  // the originals stay as they are, and a step reported done left an archive with both.
  int stepFaults = 0;
  for (const auto& [error, kinds] :
       {std::pair<int, unsigned>{ENOSPC, testing_support::kWrites | testing_support::kNames},
        {EIO, testing_support::kReads}}) {
    stepFaults += testing_support::WithEachCallFailing(
        error,
        [&] {
          std::filesystem::remove_all(store);
          path.clear();
        },
        [&] { done = QuarantineRun(Step(), items, &path); },
        [&](int failing, bool hit) {
          EXPECT_EQ(image_.ReadFile("C:\\spy.dat"), "spy bytes") << failing;
          EXPECT_EQ(image_.ReadFile("C:\\page.dat"), page) << failing;
          if (done) {
            EXPECT_EQ(ReadItemTotal(image_.Files(), path), 2u) << error << " " << failing;
          } else {
            EXPECT_TRUE(hit) << failing;
          }
        },
        kinds);
  }
  EXPECT_GE(stepFaults, 5);
  ASSERT_TRUE(done);
  // The restore: every file is back whole or still missing, and a failure is reported.
  bool restored = false;
  const int restoreFaults = testing_support::WithEachCallFailing(
      EIO,
      [&] {
        image_.Files().DeleteFileA("C:\\spy.dat");
        image_.Files().DeleteFileA("C:\\page.dat");
      },
      [&] { restored = RestoreArchive(image_.Machine(), path); },
      [&](int failing, bool hit) {
        for (const auto& [file, content] :
             {std::pair<std::string, std::string>{"C:\\spy.dat", "spy bytes"},
              {"C:\\page.dat", page}}) {
          const auto now = foundation::ReadWholeFile(image_.Files(), file);
          EXPECT_TRUE(!now || *now == content)
              << failing << " " << file << ": " << (now ? now->size() : 0);
          if (restored) {
            EXPECT_TRUE(now.has_value()) << failing << " " << file;
          }
        }
        if (!restored) {
          EXPECT_TRUE(hit) << failing;
        }
      });
  EXPECT_GE(restoreFaults, 4);
  RecordProperty("stepFaults", stepFaults);
  RecordProperty("restoreFaults", restoreFaults);
}

}  // namespace removal
