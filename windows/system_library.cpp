#include "windows/system_library.h"

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

}  // namespace services
