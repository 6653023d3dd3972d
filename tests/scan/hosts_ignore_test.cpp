// The hosts phase and its rewriting, and the ignore list file.
#include "foundation/whole_file.h"
#include "scan_fixture.h"

namespace scan {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kHosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";

class HostsTest : public ScanFixture {};

TEST_F(HostsTest, LoopbackLinesNeverMatchAndCommentsDo) {
  image_.WriteFile(kHosts,
                   "# copyright line\r\n  127.0.0.1 ads.example\r\n10.0.0.1 ads.example\r\n"
                   "# redirected by tracker.example\r\n");
  Define(R"(<SW NAME="A"><HOSTS><HOST NAME="ads.example"/><HOST NAME="tracker.example"/>
              <HOST NAME="localhost"/></HOSTS></SW>)");
  numbers_["Cust_Scan_Hosts"] = 1;
  engine_->RunScan();
  EXPECT_EQ(listed_, (Lines{"ads.example", "tracker.example"}));
  EXPECT_EQ(engine_->Counters().keysAndHostsFound, 2);
  EXPECT_FALSE(Entry(0).hosts[2].found);

  ASSERT_TRUE(engine_->Hosts().RemoveHostsEntry("ads.example"));
  EXPECT_EQ(image_.ReadFile(kHosts),
            "# copyright line\r\n  127.0.0.1 ads.example\r\n# redirected by tracker.example\r\n");
}

TEST_F(HostsTest, AnEmptyTextMatchesEveryOrdinaryLine) {
  image_.WriteFile(kHosts, "127.0.0.1 localhost\n# a comment\n1.2.3.4 x.example\n");
  Define(R"(<SW NAME="A"><HOSTS><HOST NAME=""/></HOSTS></SW>)");
  engine_->Hosts().BuildHostsFileSet();
  EXPECT_TRUE(engine_->Hosts().HostsContains(""));
  ASSERT_TRUE(engine_->Hosts().RemoveHostsEntry(""));
  EXPECT_EQ(image_.ReadFile(kHosts), "127.0.0.1 localhost\r\n");
}

TEST_F(HostsTest, NoHostsFileFindsNothingAndRemovesWithoutError) {
  image_.Files().DeleteFileA(kHosts);
  Define(R"(<SW NAME="A"><HOSTS><HOST NAME="x"/></HOSTS></SW>)");
  engine_->Hosts().BuildHostsFileSet();
  EXPECT_TRUE(engine_->Hosts().Paths().empty());
  EXPECT_FALSE(engine_->Hosts().HostsContains("x"));
  EXPECT_TRUE(engine_->Hosts().RemoveHostsEntry("x"));
}

TEST_F(HostsTest, AFailedRewriteLeavesTheFileWhole) {
  const std::string original = "1.2.3.4 spy.example\r\n5.6.7.8 keep.example\r\n";
  image_.WriteFile(kHosts, original);
  image_.WriteFile("C:\\WINDOWS\\hosts", "1.2.3.4 spy.example\r\n");
  // The new content of the first file cannot be written: a folder stands where it would go.
  ASSERT_TRUE(image_.Files().CreateDirectoryA("C:\\WINDOWS\\hosts.vxnew", nullptr));
  ASSERT_TRUE(image_.Files().CreateFileA("C:\\WINDOWS\\hosts.vxnew\\held", platform::GENERIC_WRITE,
                                         0, nullptr, platform::CREATE_NEW, 0,
                                         nullptr) != platform::INVALID_HANDLE_VALUE);
  Define("");
  engine_->Hosts().BuildHostsFileSet();
  engine_->Hosts().RemoveHostsEntry("spy.example");
  EXPECT_EQ(image_.ReadFile("C:\\WINDOWS\\hosts"), "1.2.3.4 spy.example\r\n");
  EXPECT_EQ(image_.ReadFile(kHosts), "5.6.7.8 keep.example\r\n");
}

class IgnoreListTest : public ScanFixture {};

TEST_F(IgnoreListTest, SavedItemsLoadBackEvenWithCommasAndUnknownEntriesDrop) {
  Define(R"(<SW NAME="Spy A"/><SW NAME="Spy B"/>)");
  IgnoreList& list = engine_->Ignored();
  list.Add(FoundItem{false, "C:\\a,b.exe", &Entry(0), FoundItemKind::File});
  list.Add(FoundItem{false, "software\\x", &Entry(1), FoundItemKind::RegistryKey});
  ASSERT_TRUE(list.SaveIgnoreList());
  EXPECT_EQ(image_.ReadFile("C:\\Program Files\\Vexmarl\\Ignorelist.txt"),
            "Spy A,C:\\a,b.exe,1\r\nSpy B,software\\x,3\r\n");
  image_.WriteFile("C:\\Program Files\\Vexmarl\\Ignorelist.txt",
                   "Spy A,C:\\a,b.exe,1\r\nGone,x,1\r\nno comma\r\nSpy B,one comma\r\n"
                   "Spy B,software\\x,3\r\n");
  list.LoadIgnoreList(database_);
  ASSERT_EQ(list.Items().size(), 2u);
  EXPECT_EQ(list.Items()[0].text, "C:\\a,b.exe");
  EXPECT_EQ(list.Items()[0].kind, FoundItemKind::File);
  EXPECT_TRUE(
      list.IsIgnored(FoundItem{false, "SOFTWARE\\X", &Entry(0), FoundItemKind::RegistryKey}));
  EXPECT_FALSE(list.IsIgnored(FoundItem{false, "software\\x", &Entry(1), FoundItemKind::Folder}));
}

TEST_F(IgnoreListTest, TickedRowsMoveBetweenResultsAndTheList) {
  Define(R"(<SW NAME="A"/>)");
  IgnoreList& list = engine_->Ignored();
  std::vector<FoundItem> results = {{false, "one", &Entry(0), FoundItemKind::File},
                                    {false, "two", &Entry(0), FoundItemKind::File},
                                    {false, "three", &Entry(0), FoundItemKind::File}};
  EXPECT_EQ(IgnoreTickedResults(list, results, {true, false, true}, 4), 6);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].text, "two");
  list.Add(FoundItem{false, "ONE", &Entry(0), FoundItemKind::File});
  std::vector<FoundItem> page = list.Items();
  EXPECT_EQ(UnignoreTickedRows(list, page, {true, false, false}, 1),
            0);  // two removed, not below 0
  EXPECT_EQ(page.size(), 2u);
  ASSERT_EQ(list.Items().size(), 1u);
  EXPECT_EQ(list.Items()[0].text, "three");
}

}  // namespace
}  // namespace scan
