#include "foundation/out_of_memory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace foundation {

namespace {

void ShowOnStandardError(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

std::atomic<void (*)(const char*)> handler{&ShowOnStandardError};

}  // namespace

void OutOfMemory() {
  handler.load()(kOutOfMemoryText);
  std::_Exit(EXIT_FAILURE);
}

void SetOutOfMemoryHandler(void (*show)(const char* text)) {
  handler.store(show ? show : &ShowOnStandardError);
}

}  // namespace foundation
