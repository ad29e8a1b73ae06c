// The program's entry point, in place of the C runtime's start-up. The
// launcher reads its command line and its path from the system itself and
// uses no environment, no standard streams and no locale, so all that is
// left to do here is to run main and hand its result to the system.
#include <windows.h>

int main();

// Named by the link (-e). The system calls it with a stack aligned to 4
// bytes only; the attribute realigns it for code that expects 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void
LaunchEntry() {
  ExitProcess(main());
}
