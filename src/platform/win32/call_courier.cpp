#include "platform/win32/call_courier.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {
namespace {

// How often a waiting caller looks at its cancel flag.
constexpr auto kCancelPoll = std::chrono::milliseconds(50);

}  // namespace

struct CallCourier::State {
  std::mutex lock;  // guards everything below
  std::condition_variable changed;
  std::deque<std::pair<std::uint64_t, std::function<void()>>> calls;  // waiting, by number
  std::uint64_t posted = 0;  // the number of the last call handed over
  std::uint64_t ended = 0;   // the number of the last call made
  bool started = false;      // whether the thread runs
  bool stopping = false;     // the courier is gone: the thread ends once nothing waits
};

void CallCourier::Serve(const std::shared_ptr<State>& state) {
  std::unique_lock guard(state->lock);
  for (;;) {
    state->changed.wait(guard, [&] { return !state->calls.empty() || state->stopping; });
    if (state->calls.empty()) return;
    auto [number, call] = std::move(state->calls.front());
    state->calls.pop_front();
    guard.unlock();
    call();
    call = nullptr;  // what the call kept is let go of outside the lock
    guard.lock();
    state->ended = number;
    state->changed.notify_all();
  }
}

CallCourier::CallCourier() : state_(std::make_shared<State>()) {}

CallCourier::~CallCourier() {
  std::lock_guard guard(state_->lock);
  state_->stopping = true;
  state_->changed.notify_all();
}

bool CallCourier::Run(std::function<void()> call, const std::function<bool()>& cancelled) {
  std::unique_lock guard(state_->lock);
  if (!state_->started) {
    try {
      std::thread([state = state_] { Serve(state); }).detach();
      state_->started = true;
    } catch (const std::system_error&) {
      // Without a thread of its own the call is made here, where nothing can end its wait.
      guard.unlock();
      call();
      return true;
    }
  }
  const std::uint64_t number = ++state_->posted;
  state_->calls.emplace_back(number, std::move(call));
  state_->changed.notify_all();
  while (!state_->changed.wait_for(guard, kCancelPoll, [&] { return state_->ended >= number; })) {
    guard.unlock();
    const bool stop = cancelled();
    guard.lock();
    if (!stop || state_->ended >= number) continue;
    // A call not begun yet is never made.
    for (auto waiting = state_->calls.begin(); waiting != state_->calls.end(); ++waiting) {
      if (waiting->first != number) continue;
      state_->calls.erase(waiting);
      break;
    }
    return false;
  }
  return true;
}

}  // namespace platform
