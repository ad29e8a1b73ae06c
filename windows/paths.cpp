#include "windows/paths.h"

#include <windows.h>

#include "common/double_byte_text.h"
#include "common/errors.h"
#include "common/plain_text.h"
#include "common/text_pattern.h"
#include "common/texts.h"
#include "launcher_services/code_page_paths.h"
#include "windows/reported_call.h"

namespace services {

namespace {
constexpr DWORD kPathBuffer = 255;

// Where the character after the one at i starts.
std::string::size_type NextCharacter(const std::string& text,
                                     std::string::size_type i) {
  return CharacterEnd(text.data(), text.size(), i, IsSystemLeadByte);
}

// The position of the last single-byte character of text that is in set.
std::string::size_type LastOf(const std::string& text, const std::string& set) {
  std::string::size_type last = std::string::npos;
  for (std::string::size_type i = 0; i < text.size();) {
    std::string::size_type next = NextCharacter(text, i);
    if (next == i + 1 && set.find(text[i]) != std::string::npos) last = i;
    i = next;
  }
  return last;
}

std::string::size_type LastSeparator(const std::string& path) {
  return LastOf(path, "\\:");
}

}  // namespace

bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte); }

std::string WithTrailingBackslash(const std::string& path) {
  if (path.empty() || LastOf(path, "\\") == path.size() - 1) return path;
  return path + '\\';
}

std::string DirectoryPart(const std::string& path) {
  auto separator = LastSeparator(path);
  return separator == std::string::npos ? std::string()
                                        : path.substr(0, separator + 1);
}

std::string NamePart(const std::string& path) {
  auto separator = LastSeparator(path);
  std::string::size_type start =
      separator == std::string::npos ? 0 : separator + 1;
  return path.substr(start, 255);
}

std::string ShortPathOf(const std::string& path) {
  char buffer[kPathBuffer + 1] = {};
  SetLastError(0);
  DWORD length = GetShortPathNameA(path.c_str(), buffer, kPathBuffer);
  if (length == 0) return path;
  if (length >= kPathBuffer) Refuse<ETooLongError>(TextId::kPathTooLong, path);
  return std::string(buffer, length);
}

std::string TempDirectory() {
  char buffer[kPathBuffer + 1] = {};
  DWORD length = CallReported(
      "GetTempPath", [&] { return GetTempPathA(kPathBuffer, buffer); },
      [](DWORD length) { return length == 0; });
  if (length >= kPathBuffer)
    Refuse<ETooLongError>(TextId::kTemporaryPathTooLong);
  return WithTrailingBackslash(TempPathInCodePage(std::string(buffer, length)));
}

std::string MapChars(const std::string& text, const std::string& toSet,
                     const std::string& fromSet) {
  std::string result = text;
  for (std::string::size_type i = 0; i < result.size();) {
    std::string::size_type next = NextCharacter(result, i);
    auto p = next == i + 1 ? fromSet.find(result[i]) : std::string::npos;
    if (p != std::string::npos && p < toSet.size()) result[i] = toSet[p];
    i = next;
  }
  return result;
}

std::string SanitizeFileName(const std::string& path) {
  static const char kFrom[] = "<>:\"/\\|%";
  static const char kTo[] = "[]______";
  return DirectoryPart(path) + MapChars(NamePart(path), kTo, kFrom);
}

int CompareNoCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                        static_cast<int>(a.size()), b.c_str(),
                        static_cast<int>(b.size())) -
         2;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  std::optional<bool> plain = PlainEqualNoCase(a, b);
  return plain ? *plain : CompareNoCase(a, b) == 0;
}

}  // namespace services
