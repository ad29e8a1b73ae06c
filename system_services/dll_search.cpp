#include "dll_search.h"

#include "system_library.h"

namespace services {

void NarrowDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  BOOL(WINAPI * setDefaultDllDirectories)(DWORD);
  ResolveFunction(kernel, "SetDefaultDllDirectories", setDefaultDllDirectories);
  if (setDefaultDllDirectories &&
      setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    return;
  BOOL(WINAPI * setDllDirectory)(LPCSTR);
  ResolveFunction(kernel, "SetDllDirectoryA", setDllDirectory);
  if (setDllDirectory) setDllDirectory("");
}

}  // namespace services
