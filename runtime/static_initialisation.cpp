// Static initialisation. GCC calls __main at the top of main on this target;
// it runs the constructors of the program's static objects, which the linker
// gathers between __CTOR_LIST__ (whose first entry is -1) and a null entry.
// Their destructors are never run: the program ends through ExitProcess,
// and the system frees the memory and closes the handles that they would.

extern "C" {
using Constructor = void (*)();
extern Constructor __CTOR_LIST__[];

void __main() {
  int count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  // In the order that the C runtime's start-up keeps: the last entry first.
  for (int i = count; i > 0; --i) __CTOR_LIST__[i]();
}

// Where the compiler registers a static object's destructor: nothing to do,
// see above.
int atexit(void (*)()) { return 0; }
}
