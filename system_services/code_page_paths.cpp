#include "code_page_paths.h"

#include <windows.h>

#include "errors.h"
#include "system_library.h"
#include "windows_version.h"

namespace services {

namespace {
// A path as the wide functions give it; empty when they fail.
struct WidePath {
  wchar_t text[MAX_PATH + 1] = {};
  DWORD length = 0;

  void Take(DWORD answered) { length = answered < MAX_PATH ? answered : 0; }
};

HMODULE Kernel() { return GetModuleHandleA("kernel32.dll"); }

// The path in the code page; false when it does not come back the same.
bool ToCodePage(const WidePath& path, std::string& ansi) {
  int length = static_cast<int>(path.length);
  int size = WideCharToMultiByte(CP_ACP, 0, path.text, length, nullptr, 0,
                                 nullptr, nullptr);
  ansi.assign(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, path.text, length, &ansi[0], size, nullptr,
                      nullptr);
  WidePath back;
  back.Take(
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, back.text, MAX_PATH));
  return back.length == path.length &&
         std::char_traits<wchar_t>::compare(back.text, path.text, length) == 0;
}

// ansiPath when the code page holds path, else the short form of path.
std::string InCodePage(const std::string& ansiPath, const WidePath& path) {
  std::string held;
  if (path.length == 0 || ToCodePage(path, held)) return ansiPath;
  DWORD(WINAPI * shortForm)(LPCWSTR, LPWSTR, DWORD) = nullptr;
  ResolveFunction(Kernel(), "GetShortPathNameW", shortForm);
  WidePath shortPath;
  if (shortForm) shortPath.Take(shortForm(path.text, shortPath.text, MAX_PATH));
  if (shortPath.length > 0 && ToCodePage(shortPath, held)) return held;
  Raise(EUnusablePathError(
      "The path \"" + ansiPath +
      "\" has characters that this system's code page cannot hold, and no "
      "short name to use instead."));
}
}  // namespace

std::string ProgramPathInCodePage(const std::string& ansiPath) {
  DWORD(WINAPI * query)(HMODULE, LPWSTR, DWORD) = nullptr;
  ResolveFunction(Kernel(), "GetModuleFileNameW", query);
  WidePath path;
  if (query && QueryWindowsVersion())
    path.Take(query(nullptr, path.text, MAX_PATH));
  return InCodePage(ansiPath, path);
}

std::string TempPathInCodePage(const std::string& ansiPath) {
  DWORD(WINAPI * query)(DWORD, LPWSTR) = nullptr;
  ResolveFunction(Kernel(), "GetTempPathW", query);
  WidePath path;
  if (query && QueryWindowsVersion()) path.Take(query(MAX_PATH, path.text));
  return InCodePage(ansiPath, path);
}

}  // namespace services
