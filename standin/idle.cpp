// A program that does nothing but import the DLLs that the launcher imports:
// what starting any such program costs under Wine, the benchmark's baseline.
#include <windows.h>

namespace {
// Referenced, never called: the imports stay.
FARPROC const volatile kImports[] = {reinterpret_cast<FARPROC>(&MessageBoxA),
                                     reinterpret_cast<FARPROC>(&RegCloseKey),
                                     reinterpret_cast<FARPROC>(&GetVersion)};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return kImports[0] ? 0 : 1;
}
