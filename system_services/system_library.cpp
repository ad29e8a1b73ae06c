#include "system_library.h"

#include <string>

namespace services {

std::string SystemLibraryPath(const char* name) {
  char directory[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string path(directory, length);
  if (path.back() != '\\') path += '\\';
  return path + name;
}

UniqueModule LoadSystemLibrary(const char* name) {
  std::string path = SystemLibraryPath(name);
  if (path.empty()) return UniqueModule();
  return UniqueModule(LoadLibraryA(path.c_str()));
}

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
