#include "medium.h"

#include "common/path_limit.h"
#include "windows/files.h"
#include "windows/paths.h"

namespace launcher {

using services::FileExistsSafe;

namespace {
// Whether an entry's name begins with "Dial", as the pattern "Dial*.*" asks.
// Where the pattern would not fit the platform's functions, the whole
// listing, whose pattern is shorter, is searched instead.
bool HasDialogueEntries(const std::string& directory) {
  const std::string pattern = directory + "Dial*.*";
  if (services::PathFits(pattern.size()))
    return !services::EnumerateDirectory(pattern).empty();
  for (const services::DirectoryEntry& entry :
       services::EnumerateDirectory(directory + "*"))
    if (services::CompareNoCase(entry.name.substr(0, 4), "dial") == 0 ||
        services::CompareNoCase(entry.alias.substr(0, 4), "dial") == 0)
      return true;
  return false;
}
}  // namespace

std::string MediumDirectory(const std::string& programPath) {
  std::string medium =
      services::WithTrailingBackslash(services::DirectoryPart(programPath));
  if (FileExistsSafe(medium + kNestedMarker)) medium += kNestedFolder;
  return services::ShortPathOf(medium);
}

bool MediumHasInstallFiles(const std::string& directory) {
  // Every condition is looked at, whatever the earlier ones gave.
  bool program = FileExistsSafe(directory + "Lxv.Ex_") |
                 FileExistsSafe(directory + "Lxv.Exe");
  bool library = FileExistsSafe(directory + "PYrn.Dl_") |
                 FileExistsSafe(directory + "PYrn.Dll");
  bool prelude = FileExistsSafe(directory + "Prelude.Msg");
  bool shared = FileExistsSafe(directory + "Shared.604");
  bool dial = HasDialogueEntries(directory);
  return program && library && prelude && shared && dial;
}

}  // namespace launcher
