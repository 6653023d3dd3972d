// A thread that makes the system calls of one internet session that wait for the network, so
// that the layer's cancel flag can end the wait: WinINet's own way, closing the handle from
// another thread, frees a waiting call on Windows but not under Wine. The caller watches the
// flag while the call runs; a cancelled caller returns at once and the call ends by itself, at
// the system's time-outs or when the server gives up, with nothing of the caller's in its hands.
#pragma once

#include <functional>
#include <memory>

namespace platform {

class CallCourier {
 public:
  CallCourier();
  // The thread ends after the call it is making, if any; it is not waited for.
  ~CallCourier();
  CallCourier(const CallCourier&) = delete;
  CallCourier& operator=(const CallCourier&) = delete;

  // Makes the call on the courier's thread (after the one it is making); true when it ended,
  // false when cancelled answered true first. The call keeps what it uses (its results
  // included) for itself, since it may outlive the caller.
  bool Run(std::function<void()> call, const std::function<bool()>& cancelled);

 private:
  struct State;
  // The thread's loop: the calls in the order they came, until the courier is gone.
  static void Serve(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
};

}  // namespace platform
