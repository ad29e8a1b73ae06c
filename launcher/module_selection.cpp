#include "module_selection.h"

namespace launcher {

bool IsModuleFile(const std::string& name, CompareText compare) {
  auto is = [&](const std::string& other) { return compare(name, other) == 0; };
  auto startsWith = [&](const std::string& prefix) {
    return compare(name.substr(0, prefix.size()), prefix) == 0;
  };
  if (!name.empty() && name[0] == '.') return false;
  if (name.find("604") == std::string::npos &&
      name.find("304") == std::string::npos)
    return false;
  return !is("prelude.604") && !startsWith("shared") && !is("earlyen.604") &&
         !startsWith("dial");
}

std::vector<std::string> HandOffListLines(
    const std::string& mediumDirectory, const std::vector<std::string>& entries,
    CompareText compare) {
  std::vector<std::string> lines;
  for (const std::string& name : entries)
    if (IsModuleFile(name, compare)) lines.push_back(mediumDirectory + name);
  if (!lines.empty()) lines.push_back("Setup 2.0");
  return lines;
}

}  // namespace launcher
