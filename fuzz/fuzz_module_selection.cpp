// The hand-off list for any medium listing: only module names, never "." or
// "..", each behind the medium directory, and "Setup 2.0" last.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/module_selection.h"

namespace {
bool EqualNoCase(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<services::DirectoryEntry> entries = {{".", ""}, {"..", ""}};
  for (std::string::size_type start = 0; start <= text.size();) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    entries.push_back({text.substr(start, end - start), ""});
    start = end + 1;
  }
  const std::string medium = "D:\\";
  std::vector<std::string> lines =
      launcher::HandOffListLines(medium, entries, EqualNoCase);
  if (lines.empty()) return 0;
  if (lines.back() != "Setup 2.0") __builtin_trap();
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    std::string name = lines[i].substr(medium.size());
    if (lines[i].compare(0, medium.size(), medium) != 0 || name.empty() ||
        name[0] == '.' || name.find_first_of("\r\n?") != std::string::npos ||
        (name.find("604") == std::string::npos &&
         name.find("304") == std::string::npos) ||
        strncasecmp(name.c_str(), "dial", 4) == 0 ||
        strncasecmp(name.c_str(), "shared", 6) == 0)
      __builtin_trap();
  }
  return 0;
}
