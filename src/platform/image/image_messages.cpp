#include "platform/image/image_messages.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include "platform/handles.h"
#include "platform/image/byte_locks.h"
#include "platform/image/errno_errors.h"
#include "platform/image/image_processes.h"
#include "platform/last_error.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The message queue of one thread. Posted messages wait in order; sent messages are handled
// inside the owner's next GetMessage or PeekMessage while their sender waits; timers are
// turned into WM_TIMER when they are due, so a killed timer never fires again.
struct ThreadQueue {
  struct Sent {
    MSG message;
    std::promise<LRESULT> reply;
  };
  struct Timer {
    HWND window;
    std::uintptr_t id;
    std::chrono::milliseconds period;
    Clock::time_point due;
  };

  std::mutex lock;  // guards posted, sent and timers
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<Sent>> sent;
  std::vector<Timer> timers;
  int event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // wakes the owner

  ~ThreadQueue() {
    if (event >= 0) close(event);
  }
  void Wake() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(event, &one, sizeof one);
  }
  void Drain() {
    std::uint64_t count;
    [[maybe_unused]] ssize_t read = ::read(event, &count, sizeof count);
  }
};

std::shared_ptr<ThreadQueue> QueueOfThisThread() {
  thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
  return queue;
}

struct Window : KernelObject {
  std::string title;
  WindowProcedure procedure;
  std::shared_ptr<ThreadQueue> queue;
  std::thread::id owner;
  int listener = -1;  // the endpoint other processes connect to
  std::thread server;
  std::string endpointFile;
};

struct RemoteWindow : KernelObject {
  std::string socketName;
};

struct Request {
  std::uint32_t message;
  std::uint64_t wParam;
  std::int64_t lParam;
};

// Endpoints are abstract sockets (gone with their process); the file under objects/windows
// names one for a title.
sockaddr_un AbstractAddress(const std::string& name, socklen_t& length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name.data(),
              std::min(name.size(), sizeof address.sun_path - 2));
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
}

int Connect(const std::string& name) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  socklen_t length;
  sockaddr_un address = AbstractAddress(name, length);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    ssize_t count = read(fd, bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t count = write(fd, bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

std::string Hex(const std::string& text) {
  std::string hex;
  char pair[3];
  for (unsigned char c : text) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex;
}

bool InRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

// A message sent to a window of this process: run at once on its owner's thread, else
// queued for the owner while the caller waits.
LRESULT SendToLocalWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto window = LookUpHandleAs<Window>(handle);
  if (!window) return 0;
  if (window->owner == std::this_thread::get_id())
    return window->procedure(handle, message, wParam, lParam);
  auto sent = std::make_shared<ThreadQueue::Sent>();
  sent->message = MSG{handle, message, wParam, lParam, 0};
  std::future<LRESULT> reply = sent->reply.get_future();
  {
    std::lock_guard guard(window->queue->lock);
    window->queue->sent.push_back(sent);
  }
  window->queue->Wake();
  return reply.get();
}

}  // namespace

struct ImageMessages::State {
  std::mutex lock;  // guards windows and counter
  std::vector<HWND> windows;
  unsigned counter = 0;
};

ImageMessages::ImageMessages(MachineImage image)
    : image_(std::move(image)), state_(std::make_unique<State>()) {}

ImageMessages::~ImageMessages() {
  std::vector<HWND> windows;
  {
    std::lock_guard guard(state_->lock);
    windows = state_->windows;
  }
  for (HWND window : windows) DestroyWindow(window);
}

HWND ImageMessages::CreateWindowA(const std::string& title, WindowProcedure procedure) {
  auto window = std::make_shared<Window>();
  window->title = title;
  window->procedure = std::move(procedure);
  window->queue = QueueOfThisThread();
  window->owner = std::this_thread::get_id();
  HWND handle = AddHandle(window);
  unsigned number;
  {
    std::lock_guard guard(state_->lock);
    state_->windows.push_back(handle);
    number = ++state_->counter;
  }
  if (title.empty()) return handle;

  // Publish the endpoint: an abstract socket, and a file naming it for the title.
  const std::string name = "vexmarl-window-" + std::to_string(getpid()) + "-" +
                           std::to_string(number) + "-" +
                           std::to_string(reinterpret_cast<std::uintptr_t>(this));
  window->listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  socklen_t length;
  sockaddr_un address = AbstractAddress(name, length);
  if (window->listener < 0 ||
      bind(window->listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(window->listener, 16) != 0)
    return handle;  // usable in this process, not found from others
  const std::string folder = image_.ObjectsFolder() + "/windows";
  std::filesystem::create_directories(folder);
  window->endpointFile =
      folder + "/" + Hex(title) + "." + std::to_string(getpid()) + "." + std::to_string(number);
  std::ofstream(window->endpointFile) << name;
  // The server owns the listener and closes it when the window's destruction shuts it down;
  // it is not joined, since the window may be destroyed by the very message it delivers.
  window->server = std::thread([handle, listener = window->listener] {
    for (;;) {
      int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) {
        if (errno == EINTR) continue;
        close(listener);
        return;
      }
      Request request;
      if (ReadAll(connection, &request, sizeof request)) {
        std::int64_t result =
            SendToLocalWindow(handle, request.message, request.wParam, request.lParam);
        WriteAll(connection, &result, sizeof result);
      }
      close(connection);
    }
  });
  return handle;
}

BOOL ImageMessages::DestroyWindow(HWND handle) {
  auto window = LookUpHandleAs<Window>(handle);
  if (!window) return FALSE;
  {
    std::lock_guard guard(state_->lock);
    std::erase(state_->windows, handle);
  }
  if (window->listener >= 0) {
    shutdown(window->listener, SHUT_RDWR);
    if (window->server.joinable()) window->server.detach();
    std::error_code ignored;
    std::filesystem::remove(window->endpointFile, ignored);
  }
  {
    std::lock_guard guard(window->queue->lock);
    std::erase_if(window->queue->timers, [&](const auto& timer) { return timer.window == handle; });
  }
  if (window->owner == std::this_thread::get_id() && window->procedure)
    window->procedure(handle, WM_DESTROY, 0, 0);
  CloseHandle(handle);
  // Senders still waiting for the window get no answer from it.
  std::deque<std::shared_ptr<ThreadQueue::Sent>> unanswered;
  {
    std::lock_guard guard(window->queue->lock);
    for (auto it = window->queue->sent.begin(); it != window->queue->sent.end();) {
      if ((*it)->message.hwnd == handle) {
        unanswered.push_back(*it);
        it = window->queue->sent.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& sent : unanswered) sent->reply.set_value(0);
  return TRUE;
}

BOOL ImageMessages::IsWindow(HWND handle) {
  if (LookUpHandleAs<Window>(handle)) return TRUE;
  auto remote = LookUpHandleAs<RemoteWindow>(handle);
  if (!remote) return FALSE;
  int fd = Connect(remote->socketName);
  if (fd < 0) return FALSE;
  close(fd);
  return TRUE;
}

HWND ImageMessages::FindWindowA(LPCSTR, LPCSTR title) {
  if (!title) return nullptr;
  {
    std::lock_guard guard(state_->lock);
    for (HWND handle : state_->windows) {
      auto window = LookUpHandleAs<Window>(handle);
      if (window && window->title == title) return handle;
    }
  }
  const std::string prefix = Hex(title) + ".";
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(image_.ObjectsFolder() + "/windows", error)) {
    if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
    std::string name;
    std::ifstream(entry.path()) >> name;
    int fd = Connect(name);
    if (fd < 0) {
      std::filesystem::remove(entry.path(), error);  // its process has ended
      continue;
    }
    close(fd);
    auto remote = std::make_shared<RemoteWindow>();
    remote->socketName = name;
    return AddHandle(std::move(remote));
  }
  return nullptr;
}

BOOL ImageMessages::PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> queue;
  if (!handle) {
    queue = QueueOfThisThread();
  } else if (auto window = LookUpHandleAs<Window>(handle)) {
    queue = window->queue;
  } else {
    return FALSE;
  }
  {
    std::lock_guard guard(queue->lock);
    queue->posted.push_back(MSG{handle, message, wParam, lParam, 0});
  }
  queue->Wake();
  return TRUE;
}

LRESULT ImageMessages::SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto remote = LookUpHandleAs<RemoteWindow>(handle)) {
    int fd = Connect(remote->socketName);
    if (fd < 0) return 0;
    Request request{message, wParam, lParam};
    std::int64_t result = 0;
    if (!WriteAll(fd, &request, sizeof request) || !ReadAll(fd, &result, sizeof result)) result = 0;
    close(fd);
    return static_cast<LRESULT>(result);
  }
  return SendToLocalWindow(handle, message, wParam, lParam);
}

// Takes the next message for the calling thread, handling sent messages on the way; false
// when there is none now. The timeout to the next timer comes back in wait.
static bool NextMessage(MSG* message, UINT first, UINT last, bool remove, int& wait) {
  auto queue = QueueOfThisThread();
  std::unique_lock guard(queue->lock);
  while (!queue->sent.empty()) {
    auto sent = queue->sent.front();
    queue->sent.pop_front();
    guard.unlock();
    LRESULT result = 0;
    if (auto window = LookUpHandleAs<Window>(sent->message.hwnd))
      result = window->procedure(sent->message.hwnd, sent->message.message, sent->message.wParam,
                                 sent->message.lParam);
    sent->reply.set_value(result);
    guard.lock();
  }
  for (auto it = queue->posted.begin(); it != queue->posted.end(); ++it) {
    if (!InRange(it->message, first, last) && it->message != WM_QUIT) continue;
    *message = *it;
    if (remove) queue->posted.erase(it);
    return true;
  }
  const auto now = Clock::now();
  wait = -1;
  for (auto& timer : queue->timers) {
    if (timer.due <= now && InRange(WM_TIMER, first, last)) {
      *message = MSG{timer.window, WM_TIMER, timer.id, 0, 0};
      if (remove) timer.due = std::max(timer.due + timer.period, now);
      return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timer.due - now).count() + 1;
    if (wait < 0 || left < wait) wait = static_cast<int>(left);
  }
  return false;
}

BOOL ImageMessages::GetMessageA(MSG* message, HWND, UINT first, UINT last) {
  if (!message) return FALSE;
  auto queue = QueueOfThisThread();
  for (;;) {
    int wait = -1;
    if (NextMessage(message, first, last, true, wait))
      return message->message == WM_QUIT ? FALSE : TRUE;
    pollfd ready{queue->event, POLLIN, 0};
    poll(&ready, 1, wait);
    queue->Drain();
  }
}

BOOL ImageMessages::PeekMessageA(MSG* message, HWND, UINT first, UINT last, UINT remove) {
  if (!message) return FALSE;
  int wait;
  QueueOfThisThread()->Drain();
  return NextMessage(message, first, last, (remove & PM_REMOVE) != 0, wait) ? TRUE : FALSE;
}

BOOL ImageMessages::TranslateMessage(const MSG*) {
  return FALSE;
}  // no keyboard messages here

LRESULT ImageMessages::DispatchMessageA(const MSG* message) {
  if (!message || !message->hwnd) return 0;
  auto window = LookUpHandleAs<Window>(message->hwnd);
  if (!window || !window->procedure) return 0;
  return window->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

void ImageMessages::PostQuitMessage(int exitCode) {
  PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

int ImageMessages::QueueWakeDescriptor() {
  return QueueOfThisThread()->event;
}

int ImageMessages::MillisecondsToNextTimer() {
  auto queue = QueueOfThisThread();
  std::lock_guard guard(queue->lock);
  const auto now = Clock::now();
  long long next = -1;
  for (const auto& timer : queue->timers) {
    const long long left = std::max<long long>(
        0, std::chrono::ceil<std::chrono::milliseconds>(timer.due - now).count());
    if (next < 0 || left < next) next = left;
  }
  return static_cast<int>(std::min<long long>(next, INT32_MAX));
}

std::uintptr_t ImageMessages::SetTimer(HWND handle, std::uintptr_t id, UINT elapse, void*) {
  std::shared_ptr<ThreadQueue> queue = QueueOfThisThread();
  if (handle) {
    auto window = LookUpHandleAs<Window>(handle);
    if (!window) return 0;
    queue = window->queue;
  } else if (id == 0) {
    static std::atomic<std::uintptr_t> next{0x7000};
    id = next++;
  }
  const auto period = std::chrono::milliseconds(elapse == 0 ? 1 : elapse);
  {
    std::lock_guard guard(queue->lock);
    std::erase_if(queue->timers,
                  [&](const auto& timer) { return timer.window == handle && timer.id == id; });
    queue->timers.push_back({handle, id, period, Clock::now() + period});
  }
  queue->Wake();
  return id;
}

BOOL ImageMessages::KillTimer(HWND handle, std::uintptr_t id) {
  std::shared_ptr<ThreadQueue> queue = QueueOfThisThread();
  if (handle) {
    auto window = LookUpHandleAs<Window>(handle);
    if (!window) return FALSE;
    queue = window->queue;
  }
  std::lock_guard guard(queue->lock);
  return std::erase_if(queue->timers,
                       [&](const auto& timer) { return timer.window == handle && timer.id == id; })
             ? TRUE
             : FALSE;
}

DWORD ImageMessages::MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL,
                                               DWORD milliseconds, DWORD wakeMask) {
  auto queue = QueueOfThisThread();
  std::vector<pollfd> waits;
  for (DWORD i = 0; i < count; ++i) {
    int fd = ImageProcesses::WaitDescriptorOf(handles[i]);
    if (fd < 0) return WAIT_FAILED;
    waits.push_back({fd, POLLIN, 0});
  }
  if (wakeMask) waits.push_back({queue->event, POLLIN, 0});
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (wakeMask) {
      std::lock_guard guard(queue->lock);
      const bool due = std::any_of(queue->timers.begin(), queue->timers.end(),
                                   [](const auto& timer) { return timer.due <= Clock::now(); });
      if (!queue->posted.empty() || !queue->sent.empty() || due) return WAIT_OBJECT_0 + count;
    }
    int timeout = -1;
    if (milliseconds != INFINITE) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left < 0) return WAIT_TIMEOUT;
      timeout = static_cast<int>(left);
    }
    if (wakeMask) {
      std::lock_guard guard(queue->lock);
      for (const auto& timer : queue->timers) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timer.due - Clock::now())
                        .count() +
                    1;
        if (timeout < 0 || left < timeout) timeout = static_cast<int>(std::max<long long>(left, 0));
      }
    }
    int ready = poll(waits.data(), waits.size(), timeout);
    if (ready < 0 && errno != EINTR) return Fail(Win32ErrorFromErrno(errno), WAIT_FAILED);
    for (DWORD i = 0; i < count; ++i) {
      if (waits[i].revents & POLLIN) return WAIT_OBJECT_0 + i;
    }
    if (wakeMask) queue->Drain();
  }
}

// --- Named mutexes -----------------------------------------------------------------------

namespace {

// Each handle holds a shared lock on byte 0 of the mutex's lock file; the guard byte 1
// makes the test and the registration one step.
struct MutexObject : KernelObject {
  int fd = -1;
  ~MutexObject() override {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

HANDLE ImageMessages::CreateMutexA(const void*, BOOL, LPCSTR name) {
  auto mutex = std::make_shared<MutexObject>();
  if (!name || !*name) {
    SetLastError(ERROR_SUCCESS);
    return AddHandle(std::move(mutex));  // an unnamed mutex is private to its handle
  }
  mkdir(image_.ObjectsFolder().c_str(), 0777);
  // Mutex names are case-sensitive and may hold any character: the file spells them in hex.
  const std::string path = image_.ObjectsFolder() + "/mutex-" + Hex(name) + ".lock";
  mutex->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (mutex->fd < 0) return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  if (LockByte(mutex->fd, F_OFD_SETLKW, F_WRLCK, 1) != 0)
    return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  const bool existed = ByteHeldElsewhere(mutex->fd, 0);
  const bool registered = LockByte(mutex->fd, F_OFD_SETLK, F_RDLCK, 0) == 0;
  LockByte(mutex->fd, F_OFD_SETLK, F_UNLCK, 1);
  if (!registered) return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  HANDLE handle = AddHandle(std::move(mutex));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ImageMessages::ReleaseMutex(HANDLE mutex) {
  return LookUpHandleAs<MutexObject>(mutex) ? TRUE : FALSE;
}

}  // namespace platform
