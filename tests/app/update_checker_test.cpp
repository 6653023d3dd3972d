// The window's update checks against an update server on 127.0.0.1: which channel is asked,
// what the user is asked and told, and what the options and failures change.
#include "app/update_checker.h"

#include <fstream>

#include "app/main_window_fixture.h"
#include "foundation/md5_text.h"
#include "support/signed_list.h"
#include "update_server/update_server.h"
#include "updater/update_library.h"

namespace app {
namespace {

using namespace window_test;

constexpr const char* kProgramList = "/vexmarlse/updatecore.aspx";
constexpr const char* kDatabaseList = "/vexmarl/update.txt";
constexpr const char* kNotNewer = "4.23\n0\n0\n";

class UpdateCheckTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    updater::UpdateLibrary::Instance().UseMachine(&image_.Machine());
    UserSettings settings(image_.Machine().registry(), "Vexmarl");
    settings.WriteText("Vexmarl", kUpdateServerValue, server_.Url(""));
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    updater::UpdateLibrary::Instance().UseMachine(nullptr);
  }

  void SetNumber(const char* name, DWORD value) {
    UserSettings settings(image_.Machine().registry(), "Vexmarl");
    settings.SetNumber(name, value);
  }
  // A list offering one file at /files/NAME, which is served with the content.
  std::string Offer(const std::string& version, const std::string& name,
                    const std::string& content = "new bytes") {
    if (!content.empty()) server_.Serve("/files/" + name, content);
    return version + "\n1\n0\n" + name + "\t" + foundation::Sha256OfText(content) + "\t" +
           std::to_string(content.size()) + "\t" + server_.Url("/files/" + name) + "\t0\t0\n";
  }
  // What the window's session log holds so far.
  std::string SessionLog() {
    const auto log = image_.Files().HostPathOf(window_->Session()->Log().FilePath());
    if (!log) return {};
    std::ifstream in(*log, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The list, signed by the shipped brand's key.
  void ServeList(const std::string& path, const std::string& list) {
    testing_support::ServeSigned(server_, path, list);
  }
  // Lets the window work until no check runs any more.
  bool WaitUntilIdle() {
    for (int i = 0; i < 1000; ++i) {
      Send(WM_NULL);
      if (!window_->Updates()->InProgress()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  void RequestCheck() {
    Send(UpdateRequestMessage);
    ASSERT_TRUE(WaitUntilIdle());
  }
  // How often the server was asked for the path.
  long Requests(const std::string& path) {
    const std::vector<std::string> asked = server_.Asked();
    return std::count(asked.begin(), asked.end(), path);
  }
  std::string Said(unsigned id, std::initializer_list<TextArgument> arguments = {}) {
    return "Vexmarl: " + resources_.Format(id, arguments);
  }
  std::string Question(unsigned id, std::initializer_list<TextArgument> arguments) {
    return resources_.String(161) + ": " + resources_.Format(id, arguments);
  }

  testing_support::UpdateServer server_;
};

TEST_F(UpdateCheckTest, ARequestChecksTheProgramThenTheDefinitionsAndSaysWhenNothingIsNewer) {
  ServeList(kProgramList, kNotNewer);
  ServeList(kDatabaseList, "4.23\n0\n0\n");
  Start();
  RequestCheck();
  EXPECT_EQ(server_.Asked(), (Lines{kProgramList, std::string(kProgramList) + ".sig", kDatabaseList,
                                    std::string(kDatabaseList) + ".sig"}));
  EXPECT_EQ(Asked(), Lines{Said(163)});
}

TEST_F(UpdateCheckTest, DecliningTheProgramGoesOnToTheDefinitionsWhoseVersionShowsItsDecimals) {
  ServeList(kProgramList, Offer("4.3", "Vexmarl.exe"));
  ServeList(kDatabaseList, Offer("15.25", "database.db"));
  view_.prompt_.AnswerMessage(IDNO);
  view_.prompt_.AnswerMessage(IDNO);
  Start();
  RequestCheck();
  EXPECT_EQ(Asked(), (Lines{Question(162, {"Vexmarl", 4.3}), Question(160, {"Vexmarl", "15.25"})}));
  EXPECT_EQ(Requests("/files/Vexmarl.exe") + Requests("/files/database.db"), 0);
}

TEST_F(UpdateCheckTest, AnErrorOfTheProgramChannelEndsTheCheck) {
  server_.Serve(kProgramList, "Not Found", 404);
  ServeList(kDatabaseList, kNotNewer);
  Start();
  RequestCheck();
  ASSERT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0].rfind(Said(157, {"Vexmarl", "Vexmarl", 404LL, ""}).substr(0, 40), 0), 0u)
      << Asked()[0];
  EXPECT_EQ(Requests(kDatabaseList), 0);
}

TEST_F(UpdateCheckTest, AFailedDownloadLetsTheUserAskAgain) {
  ServeList(kProgramList, kNotNewer);
  server_.Serve("/files/database.db", "gone", 404);
  ServeList(kDatabaseList, Offer("15.25", "database.db", ""));
  view_.prompt_.AnswerMessage(IDYES);
  Start();
  RequestCheck();
  EXPECT_EQ(Asked(), (Lines{Question(160, {"Vexmarl", "15.25"}), Said(165)}));
  RequestCheck();  // a new check runs
  EXPECT_EQ(Requests(kProgramList), 2);
}

TEST_F(UpdateCheckTest,
       WithoutTheAutomaticCheckNothingRunsUnlessAskedAndAnAskCountsForTheRunningCheck) {
  ServeList(kProgramList, kNotNewer);
  ServeList(kDatabaseList, kNotNewer);
  Start();  // Corvane is 0 on the test machine
  Send(WM_TIMER, kUpdateTimer);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_TRUE(server_.Asked().empty());
  // The check at start with Corvane on, and the user asking while it runs.
  SetNumber(foundation::setting::kCorvane, 1);
  Command(command::kOptions);
  Command(command::kOptionsApply);  // the window reads its options again
  Send(WM_TIMER, kUpdateTimer);
  Send(UpdateRequestMessage);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Requests(kProgramList), 1);
  EXPECT_EQ(Asked(), Lines{Said(163)});
}

TEST_F(UpdateCheckTest, AnAutomaticProgramUpdateDownloadsUnaskedAndAFailedHandOverWaits) {
  ServeList(kProgramList, Offer("4.3", "Vexmarl.exe"));
  ServeList(kDatabaseList, kNotNewer);
  UserSettings settings(image_.Machine().registry(), "Vexmarl");
  settings.WriteNumber(kFixedSettingsKeyName, foundation::setting::kAutoProgramUpdate, 0);
  // The install list cannot be written: a read-only file holds its place.
  const std::string list = std::string(kProgramFolder) + "Corvane.dat";
  image_.WriteFile(list, "old list");
  ASSERT_TRUE(image_.Files().SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_FALSE(foundation::WriteWholeFile(image_.Files(), list, "new list"));
  Start();
  Send(UpdateRequestMessage);
  // The hand-over failed: the check stays "in progress", so no other starts in this run.
  for (int i = 0; i < 1000 && Asked().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Send(WM_NULL);
  }
  EXPECT_EQ(Requests("/files/Vexmarl.exe"), 1);
  EXPECT_EQ(Requests(kDatabaseList), 0);  // a program download ends the check
  EXPECT_EQ(Asked(), Lines{Said(245)});   // no question before, no 164 with this option
  EXPECT_EQ(Setting(foundation::setting::kDownloadComplete), 1u);
  const std::size_t asked = server_.Asked().size();
  Send(UpdateRequestMessage);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Send(WM_NULL);
  EXPECT_EQ(server_.Asked().size(), asked);  // the download waits for the installer
}

// A list that the brand's key did not sign is refused with its reason, on the screen and in
// the session log; nothing it names is fetched, and the refusal ends the check.
TEST_F(UpdateCheckTest, AListSignedWithAnotherKeyIsRefusedWithItsReasonAndNothingIsFetched) {
  const std::string offer = Offer("4.3", "Vexmarl.exe");
  server_.Serve(kProgramList, offer);
  server_.Serve(
      std::string(kProgramList) + ".sig",
      testing_support::SignatureFile(offer, std::time(nullptr), testing_support::OtherUpdateKey()));
  ServeList(kDatabaseList, kNotNewer);
  Start();
  RequestCheck();
  ASSERT_EQ(Asked().size(), 1u);
  const std::string reason = "the program list " + server_.Url(kProgramList) + "?vid=4701";
  EXPECT_NE(Asked()[0].find("Vexmarl refused an update: " + reason), std::string::npos)
      << Asked()[0];
  EXPECT_NE(Asked()[0].find(": its signature is not the vendor's signature of this list."),
            std::string::npos)
      << Asked()[0];
  EXPECT_EQ(Requests("/files/Vexmarl.exe") + Requests(kDatabaseList), 0);
  const std::string text = SessionLog();
  EXPECT_NE(text.find("<Information Message = \"Update refused: " + reason), std::string::npos)
      << text;
}

// A brand without a key reads lists as they come, and the log says so.
TEST_F(UpdateCheckTest, WithoutAnUpdateKeyListsAreTakenUnverifiedAndTheLogSaysSo) {
  branding_.UPDATEKEY.clear();
  server_.Serve(kProgramList, kNotNewer);
  server_.Serve(kDatabaseList, kNotNewer);
  Start();
  RequestCheck();
  EXPECT_EQ(Asked(), Lines{Said(163)});
  EXPECT_EQ(server_.Asked(), (Lines{kProgramList, kDatabaseList}));
  const std::string text = SessionLog();
  EXPECT_NE(text.find("Updates are not verified: settings.xml names no update key"),
            std::string::npos)
      << text;
}

TEST(DatabaseVersionTextTest, ShowsTheLeadingNonZeroDecimals) {
  EXPECT_EQ(DatabaseVersionText(15.25), "15.25");
  EXPECT_EQ(DatabaseVersionText(15.0), "15");
  EXPECT_EQ(DatabaseVersionText(15.05), "15");
  EXPECT_EQ(DatabaseVersionText(15.1), "15.1");           // not 15 for want of a binary hair
  EXPECT_EQ(DatabaseVersionText(1.1234567), "1.123457");  // six decimals, rounded
}

}  // namespace
}  // namespace app
