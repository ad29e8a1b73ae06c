// hold_lock TEMPORARY_DIRECTORY: takes the lock on the temporary directory as
// a launcher does before it expands, prints "held", and keeps it until its
// input is closed: another program that holds it for ever.
#include <cstdio>

#include "launcher/launch_locks.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  services::NamedLock lock = launcher::LockTemporaryDirectory(argv[1]);
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
