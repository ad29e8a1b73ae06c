#include "medium.h"

#include "system_services/files.h"
#include "system_services/paths.h"

namespace launcher {

using services::FileExistsSafe;

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
  bool dial = !services::EnumerateDirectory(directory + "Dial*.*").empty();
  return program && library && prelude && shared && dial;
}

}  // namespace launcher
