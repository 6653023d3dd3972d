#include "platform/threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/handles.h"
#include "platform/last_error.h"

namespace platform {
namespace {

struct ThreadObject : KernelObject {
  std::mutex lock;  // guards ended and the joining of thread
  std::condition_variable endedChanged;
  bool ended = false;
  std::thread thread;

  ~ThreadObject() override {
    // The last handle went away: a thread that still runs is waited for, unless it is the
    // one letting go.
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
      thread.detach();
    else
      thread.join();
  }
};

}  // namespace

HANDLE CreateThread(std::function<void()> work) {
  auto object = std::make_shared<ThreadObject>();
  try {
    // The object waits for its thread when it ends, so the thread may use it to its last step.
    object->thread = std::thread([object = object.get(), work = std::move(work)] {
      work();
      std::lock_guard guard(object->lock);
      object->ended = true;
      object->endedChanged.notify_all();
    });
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return AddHandle(object);
}

DWORD WaitForThread(HANDLE handle, DWORD milliseconds) {
  auto object = LookUpHandleAs<ThreadObject>(handle);
  if (!object || object->thread.get_id() == std::this_thread::get_id()) return WAIT_FAILED;
  std::unique_lock guard(object->lock);
  auto ended = [&] { return object->ended; };
  if (milliseconds == INFINITE)
    object->endedChanged.wait(guard, ended);
  else if (!object->endedChanged.wait_for(guard, std::chrono::milliseconds(milliseconds), ended))
    return WAIT_TIMEOUT;
  return WAIT_OBJECT_0;
}

}  // namespace platform
