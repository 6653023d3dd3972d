// The demo's running "spyware": a harmless program that waits until it is ended. The demo
// definitions list it by the digest of this build of it.
#include <unistd.h>

int main() {
  for (;;) pause();
}
