// Slows a child process down by stopping and continuing it in turn, so that work that is fast
// on its own (a scan of a small registry) lasts long enough for a test to act while it runs.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace testing_support {

class Throttle {
 public:
  // The process runs for one part in `parts` of the time.
  explicit Throttle(pid_t pid, int parts = 20) : pid_(pid) {
    worker_ = std::thread([this, parts] {
      using namespace std::chrono_literals;
      while (!done_) {
        kill(pid_, SIGSTOP);
        std::this_thread::sleep_for((parts - 1) * 1ms);
        kill(pid_, SIGCONT);
        std::this_thread::sleep_for(1ms);
      }
    });
  }
  ~Throttle() {
    done_ = true;
    worker_.join();
    kill(pid_, SIGCONT);
  }
  Throttle(const Throttle&) = delete;
  Throttle& operator=(const Throttle&) = delete;

 private:
  pid_t pid_;
  std::atomic<bool> done_{false};
  std::thread worker_;
};

}  // namespace testing_support
