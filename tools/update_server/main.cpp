// vexmarl-update-server DIR [--port N]: the update server of the tests as a program, serving
// the files of DIR below "/" on 127.0.0.1 until it is interrupted or terminated. It prints
// "http://127.0.0.1:PORT" once it listens.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "update_server/update_server.h"

namespace {
constexpr const char* kUsage = "usage: vexmarl-update-server DIR [--port N]\n";
}  // namespace

int main(int argc, char** argv) {
  // The signals that end it are taken here, not by the server's threads.
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--port")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  testing_support::UpdateServer server(argc == 4 ? std::atoi(argv[3]) : 0);
  if (server.Port() <= 0 || !server.ServeFolder("/", argv[1])) {
    std::fprintf(stderr, "vexmarl-update-server: cannot serve %s\n", argv[1]);
    return 1;
  }
  std::printf("%s\n", server.Url("").c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&ending, &signal);
  return 0;
}
