// The update list's reading, the progress window's texts and the once-a-day gate's rule.
#include "updater/update_list.h"

#include <gtest/gtest.h>

#include <ctime>

#include "updater/progress_dialog.h"

namespace updater {
namespace {

using Lines = std::vector<std::string>;

TEST(UpdateListTest, LinesEndAtLineFeedsAndKeepTheirCarriageReturns) {
  EXPECT_EQ(SplitReplyLines(""), Lines{});
  EXPECT_EQ(SplitReplyLines("4.3\r\n1\r\n0"), (Lines{"4.3\r", "1\r", "0"}));
  EXPECT_EQ(SplitReplyLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitReplyLines("a\n\n"), (Lines{"a", ""}));  // a trailing empty line counts
  EXPECT_EQ(SplitReplyLines("\n"), Lines{""});
}

TEST(UpdateListTest, NumbersAreTheLongestNumericPrefixAfterBlanks) {
  EXPECT_GT(ReadVersion("4.3"), ReadVersion("4.23"));
  EXPECT_EQ(ReadVersion("4.10"), ReadVersion("4.1"));
  EXPECT_EQ(ReadVersion("  4.25beta\r"), 4.25);
  EXPECT_EQ(ReadVersion("version 5"), 0.0);
  EXPECT_EQ(ReadVersion(""), 0.0);
  EXPECT_EQ(ReadVersion("inf"), 0.0);
  EXPECT_EQ(ReadInteger(" 12\r"), 12);
  EXPECT_EQ(ReadInteger("x12"), 0);
  EXPECT_EQ(ReadInteger("99999999999999999999999"), 0);
}

TEST(UpdateListTest, FileLinesTakeSixTabSeparatedFields) {
  const Entry seven = ReadFileLine("a.dll\tsum\t12\thttp://h/a\t0\t1\textra");
  EXPECT_EQ(seven.fileName, "a.dll");
  EXPECT_EQ(seven.secondColumn, "sum");
  EXPECT_EQ(seven.size, 12);
  EXPECT_EQ(seven.downloadUrl, "http://h/a");
  EXPECT_FALSE(seven.archive);
  EXPECT_TRUE(seven.run);
  EXPECT_EQ(ReadFileLine("b\t\tbig\turl\t2\t0").size, 0);  // no digits
  EXPECT_TRUE(ReadFileLine("b\t\tbig\turl\t2\t0").archive);
  EXPECT_EQ(ReadFileLine("b\t\t1\turl\t0").fileName, "");  // five fields: an empty entry
  EXPECT_EQ(ReadFileLine("no tabs at all").downloadUrl, "");
}

TEST(ProgressTextTest, TimeLeftAndSizesAsTheWindowWritesThem) {
  EXPECT_EQ(TimeLeftText(59), "59 sec ");
  EXPECT_EQ(TimeLeftText(3600), "1 hr 0 min ");
  EXPECT_EQ(TimeLeftText(3661), "1 hr 1 min 1 sec ");
  EXPECT_EQ(TimeLeftText(120), "2 min ");
  EXPECT_EQ(TimeLeftText(0), "");
  EXPECT_EQ(SizeText(1048575), "1024.00 KB");
  EXPECT_EQ(SizeText(1048576), "1.00 MB");
  EXPECT_EQ(SizeText(0), "0.00 KB");
}

class RecordingPresenter : public ProgressPresenter {
 public:
  explicit RecordingPresenter(std::vector<ProgressView>& shown) : shown_(shown) {}
  void Present(const ProgressView& view) override { shown_.push_back(view); }

 private:
  std::vector<ProgressView>& shown_;
};

TEST(ProgressDialogTest, EachTickShowsRateTimeLeftAndBarAndCancelHidesAndFlags) {
  std::vector<ProgressView> shown;
  std::atomic<int> cancel{0};
  UpdateProgressDialog dialog("Update", std::make_unique<RecordingPresenter>(shown), cancel);
  dialog.Show();
  const long long start = dialog.Started();
  dialog.SetStatus(UpdateProgressDialog::kDownloadingText);
  dialog.SetTotal(20480);
  dialog.SetDownloaded(10240);
  dialog.Tick(start + 10);
  ProgressView view = dialog.View();
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.caption, "Update");
  EXPECT_EQ(view.status, "Downloading update...");
  EXPECT_EQ(view.rate, "1.00 KB");
  EXPECT_EQ(view.timeLeft, "10 sec  (10.00 KB of 20.00 KB downloaded)");
  EXPECT_EQ(view.bar, 50);
  // Below 100 bytes there is no whole step: the bar shows the share; no second has passed.
  dialog.SetTotal(50);
  dialog.SetDownloaded(25);
  dialog.Tick(start);
  EXPECT_EQ(dialog.View().bar, 50);
  EXPECT_EQ(dialog.View().rate, "0.02 KB");
  dialog.Cancel();
  EXPECT_EQ(cancel.load(), 1);
  EXPECT_FALSE(dialog.View().visible);
  EXPECT_FALSE(shown.back().visible);
}

TEST(DailyGateTest, AStoredMomentOfTodayIsTheSameDay) {
  const long long now = std::time(nullptr);
  EXPECT_TRUE(SameLocalDay(std::to_string(now), now));
  EXPECT_FALSE(SameLocalDay(std::to_string(now - 3 * 86400), now));
  EXPECT_FALSE(SameLocalDay("not a number", now));
}

}  // namespace
}  // namespace updater
