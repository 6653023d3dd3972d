// A helper program run for a test, with a pipe to its standard input (closing it lets the
// helper end) and one from its standard output for its reports. Always ended with the test.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

class HelperProcess {
 public:
  explicit HelperProcess(const std::vector<std::string>& arguments);
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // The next line the helper printed, without its line end (LF or CR LF); "no report" when
  // it ended.
  std::string Report();
  // Writes to the helper's standard input.
  void Write(const std::string& text);
  // Ends the helper at once, as a crash would.
  void Kill();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
  int release_ = -1;
  std::FILE* report_ = nullptr;
};

}  // namespace testing_support
