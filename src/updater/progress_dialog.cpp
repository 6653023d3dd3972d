#include "updater/progress_dialog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "foundation/text_format.h"
#include "platform/console.h"
#include "updater/corvane.h"

namespace updater {
namespace {

using foundation::FormatText;

constexpr const char* kTimeLeftFormat = "%s (%s of %s downloaded)";

long long NowSeconds() {
  return static_cast<long long>(std::time(nullptr));
}

}  // namespace

std::string TimeLeftText(long long seconds) {
  std::string text;
  const long long hours = seconds / 3600, minutes = seconds % 3600 / 60, rest = seconds % 60;
  if (hours > 0) text += FormatText("%d hr ", {hours});
  if (hours > 0 || minutes != 0) text += FormatText("%d min ", {minutes});
  if (rest != 0) text += FormatText("%d sec ", {rest});
  return text;
}

std::string SizeText(long long bytes) {
  if (bytes < 1048576) return FormatText("%.2f KB", {static_cast<double>(bytes) / 1024});
  return FormatText("%.2f MB", {static_cast<double>(bytes) / 1048576});
}

void ConsoleProgressPresenter::Present(const ProgressView& view) {
  // On a terminal one line is written again in place; elsewhere (a log) each new status text
  // gets a line of its own.
  static const bool terminal = platform::IsTerminal(platform::ConsoleStream::Error);
  if (!terminal) {
    if (view.visible && !view.status.empty() && view.status != lastStatus_)
      std::cerr << view.caption << ": " << view.status << std::endl;
    lastStatus_ = view.visible ? view.status : std::string();
    return;
  }
  if (!view.visible) {
    if (shown_) std::cerr << std::endl;
    shown_ = false;
    return;
  }
  std::cerr << "\r" << view.caption << ": " << view.status << " " << view.bar << "% "
            << view.timeLeft << (view.rate.empty() ? "" : " " + view.rate + "/s") << "\x1b[K"
            << std::flush;
  shown_ = true;
}

void CallbackPresenter::Present(const ProgressView& view) {
  const CvProgressView shown{
      view.caption.c_str(), view.status.c_str(), view.timeLeft.c_str(), view.rate.c_str(), view.bar,
      view.visible ? 1 : 0};
  callback_(&shown, context_);
}

UpdateProgressDialog::UpdateProgressDialog(std::string caption,
                                           std::unique_ptr<ProgressPresenter> presenter,
                                           std::atomic<int>& cancel)
    : presenter_(std::move(presenter)), cancel_(cancel) {
  view_.caption = std::move(caption);
}

UpdateProgressDialog::~UpdateProgressDialog() {
  Hide();
}

void UpdateProgressDialog::Show() {
  std::unique_lock guard(lock_);
  view_.visible = true;
  start_ = NowSeconds();
  if (!ticking_) {
    ticking_ = true;
    ticker_ = std::thread([this] {
      std::unique_lock wait(lock_);
      while (ticking_) {
        if (stop_.wait_for(wait, std::chrono::milliseconds(1000), [this] { return !ticking_; }))
          break;
        wait.unlock();
        Tick(NowSeconds());
        wait.lock();
      }
    });
  }
  guard.unlock();
  Present();
}

void UpdateProgressDialog::Hide() {
  std::thread ticker;
  {
    std::lock_guard guard(lock_);
    ticking_ = false;
    ticker = std::move(ticker_);
  }
  stop_.notify_all();
  if (ticker.joinable() && ticker.get_id() != std::this_thread::get_id()) ticker.join();
  if (ticker.joinable()) ticker.detach();
  bool wasVisible;
  {
    std::lock_guard guard(lock_);
    wasVisible = view_.visible;
    view_.visible = false;
  }
  if (wasVisible) Present();
}

void UpdateProgressDialog::SetStatus(const std::string& text) {
  {
    std::lock_guard guard(lock_);
    view_.status = text;
  }
  Present();
}

void UpdateProgressDialog::SetTotal(long long total) {
  std::lock_guard guard(lock_);
  total_ = total;
  downloaded_ = 0;
  view_.bar = 0;
}

void UpdateProgressDialog::SetDownloaded(long long downloaded) {
  std::lock_guard guard(lock_);
  downloaded_ = downloaded;
}

void UpdateProgressDialog::Tick(long long nowSeconds) {
  {
    std::lock_guard guard(lock_);
    // Within the first second the rate is what came so far.
    const long long elapsed = std::max(1LL, nowSeconds - start_);
    view_.rate = SizeText(downloaded_ / elapsed);
    const long long left =
        std::max(0LL, total_ - downloaded_) * (nowSeconds - start_) / std::max(downloaded_, 1LL);
    view_.timeLeft =
        FormatText(kTimeLeftFormat, {TimeLeftText(left), SizeText(downloaded_), SizeText(total_)});
    // A total below 100 bytes has no whole step: the bar shows the share directly.
    const long long step = total_ / 100;
    const long long bar =
        step > 0 ? downloaded_ / step : (total_ > 0 ? downloaded_ * 100 / total_ : 0);
    view_.bar = static_cast<int>(std::min(100LL, bar));
  }
  Present();
}

void UpdateProgressDialog::Cancel() {
  Hide();
  cancel_ = 1;
}

long long UpdateProgressDialog::Started() const {
  std::lock_guard guard(lock_);
  return start_;
}

ProgressView UpdateProgressDialog::View() const {
  std::lock_guard guard(lock_);
  return view_;
}

void UpdateProgressDialog::Present() {
  std::lock_guard guard(presenting_);
  if (presenter_) presenter_->Present(View());
}

}  // namespace updater
