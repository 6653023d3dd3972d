// A whole update across processes: a vendor publishes files with vxdb, a program of the image
// queries and downloads them through Corvane.dll and hands over; rundll32 runs the installer
// from the copy of the library, which puts every file in place and starts the program again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include "app/update_checker.h"
#include "app/user_settings.h"
#include "foundation/md5_text.h"
#include "support/helper_process.h"
#include "support/installed_program.h"
#include "support/signed_list.h"
#include "update_server/update_server.h"
#include "updater/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempImage;

std::string ReadHost(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteHost(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

ino_t Inode(const fs::path& path) {
  struct stat facts {};
  return stat(path.c_str(), &facts) == 0 ? facts.st_ino : 0;
}

// The library exports its operations by name and nothing of its workings.
TEST(UpdateSystemTest, TheLibraryExportsItsOperationsByName) {
  int status = -1;
  const std::string symbols = testing_support::RunCommand(
      std::string("nm -D --defined-only '") + CORVANE_LIBRARY + "'", &status);
  ASSERT_EQ(status, 0);
  for (const char* name :
       {"CvSetup", "CvInitialize", "CvCleanup", "CvQueryServer", "CvQueryServerAsync",
        "CvDownloadUpdate", "CvDownloadUpdateAsync", "CvDailyCheck", "CvDailyCheckAsync", "CvAbort",
        "CvRunCorvane", "InstallUpdates"})
    EXPECT_NE(symbols.find(std::string(" T ") + name + "\n"), std::string::npos) << name;
  EXPECT_EQ(symbols.find("UpdateLibrary"), std::string::npos) << symbols;
  // The program needs the library by name.
  const std::string program = testing_support::RunCommand(
      std::string("readelf -d '") + VEXMARL_PROGRAM_FILE + "'", &status);
  EXPECT_NE(program.find("Shared library: [Corvane.dll]"), std::string::npos) << program;
}

TEST(UpdateSystemTest, APublishedUpdateIsFetchedAndInstalledByTheDllRunner) {
  TempImage image("xp");
  ASSERT_TRUE(testing_support::InstallProgram(image));
  const fs::path program = image.HostPath("Program Files/Vexmarl");
  fs::copy_file(VEXMARL_TEST_UPDATE_CLIENT, program / "UpdClient.exe");

  // What the vendor publishes: a new build of the library (the same bytes here), the resource
  // library with something added, and an archive of two files.
  const fs::path published = fs::path(image.Root()) / "published";
  fs::create_directories(published);
  fs::copy_file(program / "Corvane.dll", published / "Corvane.dll");
  WriteHost(published / "resources.dll", ReadHost(program / "resources.dll") + "new build");
  ASSERT_TRUE(testing_support::WriteZip((published / "skins.zip").string(),
                                        {{"images/extra.bmp", "bitmap"}, {"readme.txt", "hello"}}));
  testing_support::UpdateServer server;
  int status = -1;
  const std::string list = testing_support::RunCommand(
      std::string(VXDB_PROGRAM) + " publish '" + published.string() + "' --version 4.30 " +
          "--restart 1 --base-url " + server.Url("/files"),
      &status);
  ASSERT_EQ(status, 0) << list;
  const std::regex line(
      R"(skins\.zip\t[0-9a-f]{64}\t\d+\thttp://127\.0\.0\.1:\d+/files/skins\.zip\t1\t0)");
  EXPECT_TRUE(std::regex_search(list, line)) << list;
  EXPECT_EQ(list.rfind("4.30\n3\n1\n", 0), 0u) << list;
  server.Serve("/list.txt", list);
  for (const char* name : {"Corvane.dll", "resources.dll", "skins.zip"})
    server.Serve(std::string("/files/") + name, ReadHost(published / name));
  const ino_t oldLibrary = Inode(program / "Corvane.dll");

  testing_support::HelperProcess client({VEXMACHINE_PROGRAM, "run", image.Root(),
                                         "C:\\Program Files\\Vexmarl\\UpdClient.exe",
                                         server.Url("/list.txt")});
  EXPECT_EQ(client.Report(), "query 2");
  EXPECT_EQ(client.Report(), "download 1");
  const fs::path restarted = image.HostPath("restarted.txt");
  for (int i = 0; i < 300 && !fs::exists(restarted); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(restarted)) << "the installer did not start the program again";

  EXPECT_EQ(ReadHost(program / "Corvane.dll"), ReadHost(published / "Corvane.dll"));
  EXPECT_NE(Inode(program / "Corvane.dll"), oldLibrary);  // replaced, though it was loaded
  EXPECT_EQ(ReadHost(program / "resources.dll"), ReadHost(published / "resources.dll"));
  EXPECT_EQ(ReadHost(program / "images" / "extra.bmp"), "bitmap");
  EXPECT_EQ(ReadHost(program / "readme.txt"), "hello");
  EXPECT_TRUE(fs::exists(program / "xCorvane.dll"));
  EXPECT_FALSE(fs::exists(program / "Corvane.dat"));
  // The downloads left the temporary folder.
  const std::regex download("[0-9A-Z]{10}");
  for (const auto& file :
       fs::recursive_directory_iterator(image.HostPath("Documents and Settings")))
    EXPECT_FALSE(std::regex_match(file.path().filename().string(), download)) << file.path();
}

// The command line's update: the program is not newer, the definitions are; --yes takes them,
// rundll32 installs them, and the next scan logs their version.
TEST(UpdateSystemTest, TheCommandLineFetchesNewerDefinitionsForTheNextScan) {
  TempImage image("xp");
  ASSERT_TRUE(testing_support::InstallProgram(image));
  const fs::path program = image.HostPath("Program Files/Vexmarl");
  testing_support::UpdateServer server;
  app::UserSettings(image.Machine().registry(), "Vexmarl")
      .WriteText("Vexmarl", app::kUpdateServerValue, server.Url(""));
  // The newer definitions: the installed ones with a later version.
  const fs::path work = fs::path(image.Root()) / "work";
  fs::create_directories(work / "published");
  int status = -1;
  const std::string vxdb = VXDB_PROGRAM;
  testing_support::RunCommand(vxdb + " unpack '" + (program / "database.db").string() + "' '" +
                                  (work / "definitions.xml").string() + "'",
                              &status);
  ASSERT_EQ(status, 0);
  std::string text = ReadHost(work / "definitions.xml");
  const std::size_t version = text.find("VERSION=\"4.23.0001\"");
  ASSERT_NE(version, std::string::npos);
  text.replace(version, 19, "VERSION=\"15.1\"");
  WriteHost(work / "definitions.xml", text);
  testing_support::RunCommand(vxdb + " pack '" + (work / "definitions.xml").string() + "' '" +
                                  (work / "published" / "database.db").string() + "'",
                              &status);
  ASSERT_EQ(status, 0);
  // The vendor signs the list with its key; the program's brand names the public half.
  const fs::path published = work / "update.txt";
  testing_support::RunCommand(vxdb + " publish '" + (work / "published").string() +
                                  "' --version 15.1 --base-url " + server.Url("/files") +
                                  " --out '" + published.string() + "' --sign '" +
                                  testing_support::DemoUpdateKey() + "'",
                              &status);
  ASSERT_EQ(status, 0);
  testing_support::ServeSigned(server, "/vexmarlse/updatecore.aspx", "4.23\n0\n0\n");
  server.Serve("/vexmarl/update.txt", ReadHost(published));
  server.Serve("/vexmarl/update.txt.sig", ReadHost(published.string() + ".sig"));
  server.Serve("/files/database.db", ReadHost(work / "published" / "database.db"));
  const std::string cli = "C:\\Program Files\\Vexmarl\\vexmarl-cli.exe";

  const std::string checked = testing_support::RunCommand(
      std::string(VEXMACHINE_PROGRAM) + " run '" + image.Root() + "' '" + cli + "' update --check",
      &status);
  EXPECT_EQ(checked, "program\tUpdateNone\t0\t4.23\ndatabase\tUpdateAvailable\t0\t15.1\n");
  EXPECT_EQ(status, 1);

  testing_support::HelperProcess update(
      {VEXMACHINE_PROGRAM, "run", image.Root(), cli, "update", "--yes"});
  EXPECT_EQ(update.Report(), "program\tUpdateNone\t0\t4.23");
  EXPECT_EQ(update.Report(), "database\tUpdateAvailable\t0\t15.1");
  EXPECT_EQ(update.Report(), "database\tUpdateDownloaded\t0\t15.1");
  for (int i = 0;
       i < 300 && ReadHost(program / "database.db") != ReadHost(work / "published" / "database.db");
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(ReadHost(program / "database.db"), ReadHost(work / "published" / "database.db"));
  for (int i = 0; i < 100 && fs::exists(program / "Corvane.dat"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

  const std::string summary = testing_support::RunCommand(
      std::string(VEXMACHINE_PROGRAM) + " run '" + image.Root() + "' '" + cli + "' scan 2>&1");
  const std::size_t at = summary.find("Session log: ");
  ASSERT_NE(at, std::string::npos) << summary;
  const std::string log = summary.substr(at + 13, summary.find('\n', at) - at - 13);
  const auto host = image.Files().HostPathOf(log);
  ASSERT_TRUE(host) << log;
  EXPECT_NE(ReadHost(*host).find("DatabaseVersion = \"15.1\""), std::string::npos);
}

// A forged list and a forged download through the command line: each is refused with its
// reason on standard error and in the session log, the command fails, and the program folder
// stays byte for byte as it was.
TEST(UpdateSystemTest, TheCommandLineRefusesForgedUpdatesAndChangesNothing) {
  TempImage image("xp");
  ASSERT_TRUE(testing_support::InstallProgram(image));
  const fs::path program = image.HostPath("Program Files/Vexmarl");
  const std::string cli = std::string(VEXMACHINE_PROGRAM) + " run '" + image.Root() +
                          "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' update --yes 2>&1";
  // Each stage has a server of its own; the program channel offers nothing newer.
  std::vector<std::unique_ptr<testing_support::UpdateServer>> servers;
  auto stage = [&] {
    servers.push_back(std::make_unique<testing_support::UpdateServer>());
    testing_support::UpdateServer& server = *servers.back();
    app::UserSettings(image.Machine().registry(), "Vexmarl")
        .WriteText("Vexmarl", app::kUpdateServerValue, server.Url(""));
    testing_support::ServeSigned(server, "/vexmarlse/updatecore.aspx", "4.23\n0\n0\n");
    server.Serve("/files/database.db", "other definitions");
    return &server;
  };
  auto offer = [](testing_support::UpdateServer& server) {
    return "15.1\n1\n0\ndatabase.db\t" + foundation::Sha256OfText("new definitions") + "\t15\t" +
           server.Url("/files/database.db") + "\t0\t0\n";
  };
  auto snapshot = [&] {
    std::map<std::string, std::string> files;
    for (const auto& file : fs::recursive_directory_iterator(program))
      if (file.is_regular_file() && file.path().parent_path().filename() != "Logs")
        files[file.path().string()] = foundation::Sha256OfText(ReadHost(file.path()));
    return files;
  };
  // A first run, with nothing newer, sets up what every run of the program does.
  testing_support::UpdateServer* server = stage();
  testing_support::ServeSigned(*server, "/vexmarl/update.txt", "4.23\n0\n0\n");
  int status = -1;
  std::string output = testing_support::RunCommand(cli, &status);
  ASSERT_EQ(status, 0) << output;
  const auto before = snapshot();

  // The database list under the signature of another list.
  server = stage();
  server->Serve("/vexmarl/update.txt", offer(*server));
  server->Serve("/vexmarl/update.txt.sig", testing_support::SignatureFile("15.1\n0\n0\n"));
  output = testing_support::RunCommand(cli, &status);
  EXPECT_EQ(status, 2) << output;
  EXPECT_NE(output.find("database\tUpdateRefused\t3\t0"), std::string::npos) << output;
  EXPECT_NE(output.find("Vexmarl refused an update: the database list " +
                        server->Url("/vexmarl/update.txt") +
                        ": its signature is not the vendor's signature of this list."),
            std::string::npos)
      << output;

  // Signed, but its file is not what the list says.
  server = stage();
  testing_support::ServeSigned(*server, "/vexmarl/update.txt", offer(*server));
  output = testing_support::RunCommand(cli, &status);
  EXPECT_EQ(status, 2) << output;
  EXPECT_NE(output.find("the download of \"database.db\" does not match its SHA-256 digest"),
            std::string::npos)
      << output;
  EXPECT_EQ(snapshot(), before);
  std::string logs;
  for (const auto& file : fs::directory_iterator(program / "Logs")) logs += ReadHost(file.path());
  EXPECT_NE(logs.find("<Information Message = \"Update refused: the database list"),
            std::string::npos)
      << logs;
}

}  // namespace
