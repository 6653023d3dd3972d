// The hosts phase and its rewriting, and the ignore list file.
#include <random>

#include "foundation/whole_file.h"
#include "scan/multi_pattern.h"
#include "scan_fixture.h"
#include "support/fault_injection.h"

namespace scan {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kHosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";

class HostsTest : public ScanFixture {};

TEST_F(HostsTest, LoopbackLinesNeverMatchAndCommentsDo) {
  // Only "127." makes a loopback line: spyware maps security sites to 0.0.0.0.
  image_.WriteFile(kHosts,
                   "# copyright line\r\n  127.0.0.1 ads.example\r\n10.0.0.1 ads.example\r\n"
                   "# redirected by tracker.example\r\n0.0.0.0\tav.example\r\n");
  Define(R"(<SW NAME="A"><HOSTS><HOST NAME="ads.example"/><HOST NAME="tracker.example"/>
              <HOST NAME="localhost"/><HOST NAME="av.example"/><HOST NAME="AV.example"/>
            </HOSTS></SW>)");
  numbers_["Cust_Scan_Hosts"] = 1;
  engine_->RunScan();
  EXPECT_EQ(listed_, (Lines{"ads.example", "tracker.example", "av.example"}));
  EXPECT_EQ(engine_->Counters().keysAndHostsFound, 3);
  EXPECT_FALSE(Entry(0).hosts[2].found);
  EXPECT_FALSE(Entry(0).hosts[4].found);  // letter case counts

  ASSERT_TRUE(engine_->Hosts().RemoveHostsEntries({"ads.example", "AV.example"}));
  EXPECT_EQ(image_.ReadFile(kHosts),
            "# copyright line\r\n  127.0.0.1 ads.example\r\n# redirected by tracker.example\r\n"
            "0.0.0.0\tav.example\r\n");
}

TEST_F(HostsTest, AnEmptyTextMatchesNoLine) {
  const std::string content = "127.0.0.1 localhost\n# a comment\n1.2.3.4 x.example";
  image_.WriteFile(kHosts, content);
  Define(R"(<SW NAME="A"><HOSTS><HOST NAME=""/><HOST NAME="x.example"/></HOSTS></SW>)");
  numbers_["Cust_Scan_Hosts"] = 1;
  engine_->RunScan();
  EXPECT_EQ(listed_, (Lines{"x.example"}));
  EXPECT_FALSE(Entry(0).hosts[0].found);
  EXPECT_FALSE(engine_->Hosts().HostsContains(""));
  EXPECT_EQ(engine_->Hosts().HostsContainAll({"", "x.example"}), (std::vector<bool>{false, true}));
  // Nothing goes, so the file is not rewritten: its LF line ends and its last line without
  // one stay.
  ASSERT_TRUE(engine_->Hosts().RemoveHostsEntry(""));
  EXPECT_EQ(image_.ReadFile(kHosts), content);
  ASSERT_TRUE(engine_->Hosts().RemoveHostsEntries({"", "x.example"}));
  EXPECT_EQ(image_.ReadFile(kHosts), "127.0.0.1 localhost\n# a comment\n");
}

TEST(MultiPatternMatcher, FindsOverlappingNestedAndEmptyTexts) {
  const std::vector<std::string> texts = {"he", "she", "his", "hers", "", "s", "xyz", "e\xff"};
  MultiPatternMatcher matcher(texts);
  std::vector<bool> found(texts.size(), false);
  matcher.Scan("ushers", found);
  EXPECT_EQ(found, (std::vector<bool>{true, true, false, true, true, true, false, false}));
  found.assign(texts.size(), false);
  matcher.Scan("e\xff", found);
  EXPECT_EQ(found, (std::vector<bool>{false, false, false, false, true, false, false, true}));
  EXPECT_TRUE(MultiPatternMatcher({"xyz", "hers"}).Matches("ushers"));
  EXPECT_FALSE(MultiPatternMatcher({"xyz", "hers"}).Matches("usher"));
  EXPECT_TRUE(matcher.Matches("q"));  // the empty text
}

TEST_F(HostsTest, OnePassFindsWhatEachTextFindsAlone) {
  // Random lines and texts over a small alphabet, so that texts overlap and nest.
  std::mt19937 random(7);
  auto text = [&](int longest) {
    std::string made;
    for (int i = std::uniform_int_distribution<int>(0, longest)(random); i > 0; --i)
      made += "ab.1\t"[std::uniform_int_distribution<int>(0, 4)(random)];
    return made;
  };
  std::string content;
  for (int line = 0; line < 300; ++line)
    content += (line % 7 == 0 ? "127.0.0.1 " : "") + text(30) + "\r\n";
  image_.WriteFile(kHosts, content);
  Define(R"(<SW NAME="A"/>)");
  engine_->Hosts().BuildHostsFileSet();
  std::vector<std::string> texts;
  for (int i = 0; i < 2000; ++i) texts.push_back(text(9));
  const std::vector<bool> found = engine_->Hosts().HostsContainAll(texts);
  int present = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(found[i], engine_->Hosts().HostsContains(texts[i])) << texts[i];
    present += found[i];
  }
  EXPECT_GT(present, 100);
  EXPECT_LT(present, 1900);
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

// Each host call of the two commands failing in turn: the file holds the old list or the new
// one whole, and when it holds the old one the command said so and changed neither the list in
// memory nor the rows.
TEST_F(IgnoreListTest, ACommandWhoseSaveFailsChangesNothingAndSaysSo) {
  Define(R"(<SW NAME="A"/>)");
  IgnoreList& list = engine_->Ignored();
  const std::string file = "C:\\Program Files\\Vexmarl\\Ignorelist.txt";
  const std::string old = "A,kept,1\r\n";
  for (const bool ignoring : {true, false}) {
    std::vector<FoundItem> rows;
    std::optional<int> answer;
    const std::string changed = ignoring ? "A,kept,1\r\nA,new,1\r\n" : "";
    const int faults = testing_support::WithEachCallFailing(
        ENOSPC,
        [&] {
          image_.WriteFile(file, old);
          list.LoadIgnoreList(database_);
          rows = ignoring ? std::vector<FoundItem>{{false, "new", &Entry(0), FoundItemKind::File}}
                          : list.Items();
        },
        [&] {
          answer = ignoring ? IgnoreTickedResults(list, rows, {true}, 1)
                            : UnignoreTickedRows(list, rows, {true}, 1);
        },
        [&](int failing, bool) {
          const std::string now = image_.ReadFile(file);
          ASSERT_TRUE(now == old || now == changed) << failing << ": " << now;
          EXPECT_EQ(answer.has_value(), now == changed) << failing;
          EXPECT_EQ(rows.size(), now == changed ? 0u : 1u) << failing;
          EXPECT_EQ(list.Items().size(), now == changed && ignoring ? 2u
                                         : now == changed           ? 0u
                                                                    : 1u)
              << failing;
        });
    EXPECT_GE(faults, 3) << ignoring;
    RecordProperty(ignoring ? "ignoreFaults" : "unignoreFaults", faults);
  }
}

}  // namespace
}  // namespace scan
