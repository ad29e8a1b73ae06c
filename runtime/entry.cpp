// The program's entry point, in place of the C runtime's start-up. The
// launcher reads its command line and its path from the system itself and
// uses no environment, no standard streams and no locale, so all that is
// left to do here is to run main and hand its result to the system.
#include <windows.h>

int main();

// Named by the link (-e). The system calls it with a stack aligned to 4
// bytes, which is all that the program's code expects (see CMakeLists.txt).
extern "C" __attribute__((noreturn)) void LaunchEntry() { ExitProcess(main()); }
