// Libraries and functions found at run time. A copied medium folder may hold
// a planted DLL beside the program, so system libraries are loaded by their
// full path in the system directory, and functions that older systems lack
// are looked up by name instead of imported.
#pragma once

#include <windows.h>

#include <string>

#include "unique_handle.h"

namespace services {

// Loads the named library from the system directory; empty when it is not
// there (the last error says why).
UniqueModule LoadSystemLibrary(const char* name);

// The system directory + '\' + name.
std::string SystemLibraryPath(const char* name);

// Points function at the module's export of that name, or at nothing.
template <typename Function>
void ResolveFunction(HMODULE module, const char* name, Function& function) {
  function = module ? reinterpret_cast<Function>(
                          reinterpret_cast<void*>(GetProcAddress(module, name)))
                    : nullptr;
}

// Restricts the search for DLLs loaded later in this process to the system
// directory, where the platform can (Windows 7 with KB2533623, 8 and later);
// else takes the current directory out of it (XP SP1 and later); older
// systems have neither and keep their search order.
void NarrowDllSearch();

}  // namespace services
