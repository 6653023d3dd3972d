// The demo's running "spyware": a harmless program that waits until it is ended. The demo
// definitions list it by the digest of this build of it.
#include <chrono>
#include <thread>

int main() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}
