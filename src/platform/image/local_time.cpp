#include "platform/local_time.h"

namespace platform {

std::tm LocalTimeOf(std::time_t time) {
  std::tm local{};
  if (!localtime_r(&time, &local)) return std::tm{};
  return local;
}

}  // namespace platform
