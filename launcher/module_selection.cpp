#include "module_selection.h"

namespace launcher {

bool IsModuleFile(const std::string& name, EqualText equal) {
  auto is = [&](const std::string& other) { return equal(name, other); };
  auto startsWith = [&](const std::string& prefix) {
    return equal(name.substr(0, prefix.size()), prefix);
  };
  if (!name.empty() && name[0] == '.') return false;
  if (name.find("604") == std::string::npos &&
      name.find("304") == std::string::npos)
    return false;
  return !is("prelude.604") && !startsWith("shared") && !is("earlyen.604") &&
         !startsWith("dial");
}

namespace {
// Whether opening the name would open a device rather than a file, whatever
// its extension: the system takes the part before the first '.', trailing
// spaces cut.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  // Constant, in the program's read-only data.
  static const char* const kDevices[] = {"CON", "PRN",    "AUX",
                                         "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (base == device) return true;
  return base.size() == 4 &&
         (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// The name under which an entry is listed; empty when it has none.
std::string ListedName(const services::DirectoryEntry& entry) {
  // A '?' stands for a character that the code page lacks, and a control
  // character would break the list into other lines. Neither is ever part of
  // an 8.3 alias; neither is a double-byte character's second byte.
  bool unusable = false;
  for (char c : entry.name)
    unusable |= c == '?' || static_cast<unsigned char>(c) < 32;
  const std::string& name = unusable ? entry.alias : entry.name;
  return IsDeviceName(name) ? std::string() : name;
}
}  // namespace

std::vector<std::string> HandOffListLines(
    const std::string& mediumDirectory,
    const std::vector<services::DirectoryEntry>& entries, EqualText equal) {
  std::vector<std::string> lines;
  for (const services::DirectoryEntry& entry : entries) {
    std::string name = ListedName(entry);
    if (!name.empty() && IsModuleFile(name, equal))
      lines.push_back(mediumDirectory + name);
  }
  if (!lines.empty()) lines.push_back("Setup 2.0");
  return lines;
}

}  // namespace launcher
