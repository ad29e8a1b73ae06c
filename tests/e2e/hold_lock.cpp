// hold_lock [--medium [--only-wait]] DIRECTORY: takes the lock on
// the temporary directory as a launcher does before it expands, or with
// --medium the claim on a medium, prints "held", and keeps it until its
// input is closed: another program that holds it for ever, with no window.
// --only-wait makes the claim's mutex one that lets others only wait (as an
// elevated launcher's was).
#include <windows.h>
// sddl.h needs the types of windows.h.
#include <sddl.h>

#include <cstdio>

#include "common/lock_names.h"
#include "launcher/launch_locks.h"

int main(int argc, char** argv) {
  std::string option = argc == 4 ? argv[2] : "", directory = argv[argc - 1];
  if (argc < 2 || argc > 4 || (argc > 2 && std::string(argv[1]) != "--medium"))
    return 2;
  std::optional<services::NamedLock> lock;
  SECURITY_ATTRIBUTES waitOnly = {sizeof waitOnly, nullptr, FALSE};
  if (argc == 2) {
    lock = launcher::LockTemporaryDirectory(directory);
  } else if (option == "--only-wait") {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:(A;;0x100000;;;WD)", SDDL_REVISION_1,
            &waitOnly.lpSecurityDescriptor, nullptr) ||
        !CreateMutexA(
            &waitOnly, TRUE,
            services::LockNames(launcher::MediumClaimKey(directory)).Lock()))
      return 1;
  } else {
    lock = services::NamedLock::Try(launcher::MediumClaimKey(directory));
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
