// The download's progress window as a model: its status text, bar, time-left and rate texts,
// the one-second tick that refreshes them, and Cancel. A presenter shows it: a line on
// standard error by default, a dialog where the program has a window.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "updater/corvane.h"

namespace updater {

// "%d hr " when there is a whole hour, "%d min " when hours were written or minutes are not
// 0, "%d sec " when seconds are not 0; 0 seconds give an empty text.
std::string TimeLeftText(long long seconds);
// Below 1,048,576 bytes "%.2f KB", else "%.2f MB".
std::string SizeText(long long bytes);

// What the window shows.
struct ProgressView {
  std::string caption, status, timeLeft, rate;
  int bar = 0;  // 0..100
  bool visible = false;
};

class ProgressPresenter {
 public:
  virtual ~ProgressPresenter() = default;
  virtual void Present(const ProgressView& view) = 0;
};

// A progress line on standard error, written again in place at each change on a terminal.
class ConsoleProgressPresenter : public ProgressPresenter {
 public:
  void Present(const ProgressView& view) override;

 private:
  bool shown_ = false;
  std::string lastStatus_;
};

// A presenter of the program's: its C callback gets the view with its texts.
class CallbackPresenter : public ProgressPresenter {
 public:
  using Callback = CvProgressPresenter;
  CallbackPresenter(Callback callback, void* context) : callback_(callback), context_(context) {}
  void Present(const ProgressView& view) override;

 private:
  Callback callback_;
  void* context_;
};

class UpdateProgressDialog {
 public:
  static constexpr const char* kConnectingText = "Connecting to the server for download.";
  static constexpr const char* kDownloadingText = "Downloading update...";

  // cancel is the library's cancel flag, which the Cancel button sets.
  UpdateProgressDialog(std::string caption, std::unique_ptr<ProgressPresenter> presenter,
                       std::atomic<int>& cancel);
  ~UpdateProgressDialog();

  // Shows the window: the start time is taken and the 1000 ms tick starts.
  void Show();
  void Hide();
  void SetStatus(const std::string& text);
  // The total of all entries' sizes; the bar counts steps of total ÷ 100 bytes.
  void SetTotal(long long total);
  // The bytes downloaded so far over all entries (any thread).
  void SetDownloaded(long long downloaded);
  // The tick: elapsed seconds since the start give the rate, the time left and the bar.
  void Tick(long long nowSeconds);
  // The Cancel button: hides the window and sets the cancel flag.
  void Cancel();
  ProgressView View() const;
  // When the window was shown, in whole seconds.
  long long Started() const;

 private:
  void Present();

  mutable std::mutex lock_;  // guards the view, the counts and the tick's state
  std::mutex presenting_;    // one presentation at a time
  std::unique_ptr<ProgressPresenter> presenter_;
  std::atomic<int>& cancel_;
  ProgressView view_;
  long long total_ = 0, downloaded_ = 0, start_ = 0;
  std::thread ticker_;
  std::condition_variable stop_;
  bool ticking_ = false;
};

}  // namespace updater
