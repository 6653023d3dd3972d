#include "support/helper_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {

HelperProcess::HelperProcess(const std::vector<std::string>& arguments) {
  int input[2], output[2];
  if (arguments.empty() || pipe(input) != 0 || pipe(output) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addclose(&actions, input[1]);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  close(output[1]);
  release_ = input[1];
  report_ = fdopen(output[0], "r");
}

HelperProcess::~HelperProcess() {
  if (release_ >= 0) close(release_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
  if (report_) std::fclose(report_);
}

std::string HelperProcess::Report() {
  char line[4096] = {};
  if (!report_ || !std::fgets(line, sizeof line, report_)) return "no report";
  std::string text(line);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

void HelperProcess::Write(const std::string& text) {
  if (release_ < 0) return;
  [[maybe_unused]] const ssize_t written = write(release_, text.data(), text.size());
}

void HelperProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

}  // namespace testing_support
