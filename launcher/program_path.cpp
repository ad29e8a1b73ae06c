#include "program_path.h"

#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"

namespace launcher {

namespace {
bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
}  // namespace

std::string WithoutLongPathPrefix(const std::string& programPath) {
  // The text ends with a NUL: no test below looks past it.
  const char* p = programPath.c_str();
  if (!(p[0] == '\\' && p[1] == '\\' && (p[2] == '?' || p[2] == '.') &&
        p[3] == '\\'))
    return programPath;
  if (IsLetter(p[4]) && p[5] == ':' && p[6] == '\\') return p + 4;
  if ((p[4] | 0x20) == 'u' && (p[5] | 0x20) == 'n' && (p[6] | 0x20) == 'c' &&
      p[7] == '\\' && p[8])
    return std::string(programPath).erase(2, 6);
  services::Refuse<services::EUnusablePathError>(
      services::TextId::kPathUnusable, programPath);
}

}  // namespace launcher
