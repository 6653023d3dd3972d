// The main window's controller on an installed image, run on its own thread, with a view that
// records what it shows and a scripted prompt: the fixture of the window's tests.
#pragma once

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/page_ids.h"
#include "foundation/whole_file.h"
#include "support/installed_program.h"

namespace app {
namespace window_test {

using namespace platform;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

// Records what the window shows; any thread may wait for something to have been shown.
class RecordingView : public MainView {
 public:
  void ShowPage(const PageShown& page) override {
    Record([&] { pages.push_back(page); });
  }
  void AddRow(const FoundRow& row) override {
    Record([&] { rows.push_back(row.text); });
  }
  void ShowScanProgress(const ScanProgressView&) override {}
  void ShowScanEnd(const std::string& status, const std::string&) override {
    Record([&] { ends.push_back(status); });
  }
  void ShowStatus(const std::string& text) override {
    Record([&] { statuses.push_back(text); });
  }
  void Activate() override {}
  void PlaceWindow(int x, int y, int width, int height) override {
    Record([&] { placed = {x, y, width, height}; });
  }
  Prompt& prompt() override { return prompt_; }

  // Waits until the condition holds; false when it never did.
  template <typename Condition>
  bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, limit, [&] { return condition(); });
  }
  PageShown LastPage() {
    std::lock_guard guard(lock);
    return pages.empty() ? PageShown{Page::Hidden, -99, "", {}} : pages.back();
  }

  std::mutex lock;  // guards everything below
  std::condition_variable changed;
  std::vector<PageShown> pages;
  Lines rows, ends, statuses;
  std::array<int, 4> placed{};
  ScriptedPrompt prompt_;

 private:
  template <typename Change>
  void Record(Change change) {
    {
      std::lock_guard guard(lock);
      change();
    }
    changed.notify_all();
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::InstallProgram(image_));
    int status = -1;
    testing_support::RunCommand(std::string(VEXMARL_DATA_FOLDER) + "/demo/plant.sh '" +
                                    image_.Root() + "' '" + VEXMACHINE_PROGRAM + "' >/dev/null",
                                &status);
    ASSERT_EQ(status, 0);
    image_.Files().SetCurrentDirectoryA(kProgramFolder);
    ASSERT_TRUE(resources_.Load(image_.Machine()));
    branding_.Load(image_.Files(), kProgramFolder);
  }
  void TearDown() override { Stop(); }

  // Runs the window on its own thread until it has opened.
  void Start(const std::string& commandLine = "") {
    window_ = std::make_unique<MainWindow>(image_.Machine(), branding_, resources_, view_,
                                           commandLine, kProgramFolder);
    ui_ = std::thread([this] { window_->RunModal({}); });
    const std::string ready = window_->DefaultStatus();
    ASSERT_TRUE(view_.WaitUntil([&] {
      return std::find(view_.statuses.begin(), view_.statuses.end(), ready) !=
                 view_.statuses.end() ||
             closed_;
    }));
  }
  void Stop() {
    if (!ui_.joinable()) return;
    if (window_->Handle()) Send(WM_CLOSE);
    ui_.join();
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return image_.Machine().messages().SendMessageA(window_->Handle(), message, wParam, lParam);
  }
  void Command(std::uintptr_t id, LPARAM lParam = 0) { Send(WM_COMMAND, id, lParam); }
  void ExpectPage(Page page, unsigned header) {
    const PageShown shown = view_.LastPage();
    EXPECT_EQ(shown.page, page) << PageName(page);
    EXPECT_EQ(shown.number, PageNumber(page));
    EXPECT_EQ(shown.header, header ? resources_.String(header) : "") << PageName(page);
  }
  void ScanToTheEnd() {
    const std::size_t ends = view_.ends.size();
    Command(command::kScanNow);
    ASSERT_TRUE(view_.WaitUntil([&] { return view_.ends.size() > ends; }));
  }
  std::vector<removal::ResultRow> Rows() {
    std::vector<removal::ResultRow> rows;
    // Read on the window's thread through a message round trip.
    Send(WM_NULL);
    return window_->Rows();
  }
  Lines Asked() { return view_.prompt_.Asked(); }
  // The report of the echo program once it is written whole (its last line is SystemRoot).
  std::string EchoReport(const std::string& path) {
    std::string text;
    for (int i = 0; i < 250 && text.find("SystemRoot:") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      text = foundation::ReadWholeFile(image_.Files(), path).value_or("");
    }
    return text;
  }
  DWORD Setting(const char* name) {
    UserSettings settings(image_.Machine().registry(), branding_.REGISTRYNAME);
    return settings.Number(name, 12345);
  }

  testing_support::TempImage image_{"xp"};
  Resources resources_;
  BrandingSettings branding_;
  RecordingView view_;
  std::unique_ptr<MainWindow> window_;
  std::thread ui_;
  bool closed_ = false;
};

}  // namespace window_test
}  // namespace app
