#include "launcher_services/code_page_paths.h"

#include <windows.h>

#include <cstring>

#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"
#include "windows/system_functions.h"
#include "windows/windows_version.h"

namespace services {

namespace {
// A path as the wide functions give it; empty when they fail.
struct WidePath {
  wchar_t text[MAX_PATH + 1] = {};
  DWORD length = 0;

  void Take(DWORD answered) { length = answered < MAX_PATH ? answered : 0; }
};

// The text in the code page, and whether it comes back the same from there.
bool ToCodePage(const wchar_t* text, int length, std::string& ansi) {
  int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr,
                                 nullptr);
  ansi.assign(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, &ansi[0], size, nullptr,
                      nullptr);
  std::string back((length + 1) * sizeof(wchar_t), '\0');
  return MultiByteToWideChar(CP_ACP, 0, ansi.data(), size,
                             reinterpret_cast<wchar_t*>(&back[0]),
                             length + 1) == length &&
         std::memcmp(back.data(), text, length * sizeof(wchar_t)) == 0;
}

// The path's short form in the code page; empty when it has none there.
std::string ShortFormInCodePage(const WidePath& path) {
  auto shortForm = Kernel32().GetShortPathNameW;
  WidePath shortPath;
  if (shortForm) shortPath.Take(shortForm(path.text, shortPath.text, MAX_PATH));
  std::string held;
  if (shortPath.length > 0 &&
      ToCodePage(shortPath.text, shortPath.length, held))
    return held;
  return std::string();
}

// ansiPath when the code page holds path, else the short form of path.
std::string InCodePage(const std::string& ansiPath, const WidePath& path) {
  std::string held;
  if (path.length == 0 || ToCodePage(path.text, path.length, held))
    return ansiPath;
  held = ShortFormInCodePage(path);
  if (held.empty())
    Refuse<EUnusablePathError>(TextId::kPathBeyondCodePage, ansiPath);
  return held;
}
}  // namespace

std::string ProgramPathInCodePage(const std::string& ansiPath) {
  auto query = Kernel32().GetModuleFileNameW;
  WidePath path;
  if (query && IsNtFamily()) path.Take(query(nullptr, path.text, MAX_PATH));
  return InCodePage(ansiPath, path);
}

std::string TempPathInCodePage(const std::string& ansiPath) {
  auto query = Kernel32().GetTempPathW;
  WidePath path;
  if (query && IsNtFamily()) path.Take(query(MAX_PATH, path.text));
  return InCodePage(ansiPath, path);
}

std::string Utf8BeyondCodePage(const wchar_t* text, int length) {
  std::string converted;
  if (ToCodePage(text, length, converted)) return std::string();
  converted.assign(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0,
                                       nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, &converted[0],
                      static_cast<int>(converted.size()), nullptr, nullptr);
  return converted;
}

std::string Utf8PathInCodePage(const std::string& utf8Path) {
  WidePath path;
  path.Take(MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(),
                                static_cast<int>(utf8Path.size()), path.text,
                                MAX_PATH));
  std::string nearest;
  if (ToCodePage(path.text, path.length, nearest)) return nearest;
  std::string held = ShortFormInCodePage(path);
  return held.empty() ? nearest : held;
}

}  // namespace services
