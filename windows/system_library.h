// Libraries and functions found at run time: system libraries are loaded by
// their full path in the system directory (a copied medium folder may hold a
// planted DLL beside the program), and functions that older systems lack are
// looked up by name instead of imported.
#pragma once

#include <windows.h>

#include <string>

#include "windows/unique_handle.h"

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

}  // namespace services
