// The program's heap is the process heap, which every Windows has: new and
// delete go straight to it. Running out of memory ends the program in the
// last-chance box (see standard_library_faults.cpp).
#include <windows.h>

#include <new>

#include "faults.h"

void* operator new(std::size_t size) {
  if (void* memory = HeapAlloc(GetProcessHeap(), 0, size ? size : 1))
    return memory;
  runtime::OutOfMemory();
}

void operator delete(void* memory) noexcept {
  if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

void operator delete(void* memory, std::size_t) noexcept {
  operator delete(memory);
}
