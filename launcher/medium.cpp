#include "medium.h"

#include "common/path_limit.h"
#include "windows/files.h"
#include "windows/paths.h"

namespace launcher {

using services::FileExistsSafe;

namespace {
// Whether an entry's name begins with "Dial", as the pattern "Dial*.*" asks.
bool StartsWithDial(const services::DirectoryEntry& entry) {
  return services::EqualNoCase(entry.name.substr(0, 4), "dial") ||
         services::EqualNoCase(entry.alias.substr(0, 4), "dial");
}

// Whether the directory has such an entry.
// Where the pattern would not fit the platform's functions, the whole
// listing, whose pattern is shorter, is searched instead.
bool HasDialogueEntries(const std::string& directory) {
  const std::string pattern = directory + "Dial*.*";
  if (services::PathFits(pattern.size()))
    return !services::EnumerateDirectory(pattern).empty();
  for (const services::DirectoryEntry& entry :
       services::EnumerateDirectory(directory + "*"))
    if (StartsWithDial(entry)) return true;
  return false;
}

// The five conditions of a complete set of installation files, every one
// evaluated, over how a name is looked up.
template <typename HasFile, typename HasDial>
bool InstallFilesPresent(HasFile has, HasDial dial) {
  bool program = has("Lxv.Ex_") | has("Lxv.Exe");
  bool library = has("PYrn.Dl_") | has("PYrn.Dll");
  bool prelude = has("Prelude.Msg");
  bool shared = has("Shared.604");
  return program & library & prelude & shared & dial();
}

}  // namespace

std::string MediumDirectory(const std::string& programPath) {
  std::string medium =
      services::WithTrailingBackslash(services::DirectoryPart(programPath));
  if (FileExistsSafe(medium + kNestedMarker)) medium += kNestedFolder;
  return services::ShortPathOf(medium);
}

bool MediumHasInstallFiles(const std::string& directory) {
  return InstallFilesPresent(
      [&](const char* name) { return FileExistsSafe(directory + name); },
      [&] { return HasDialogueEntries(directory); });
}

bool MediumListing::HasFile(const std::string& name) const {
  for (const services::DirectoryEntry& entry : entries)
    if (!entry.folder && (services::EqualNoCase(entry.name, name) ||
                          services::EqualNoCase(entry.alias, name)))
      return true;
  return false;
}

bool MediumListing::HasInstallFiles() const {
  return InstallFilesPresent([&](const char* name) { return HasFile(name); },
                             [&] {
                               for (const auto& entry : entries)
                                 if (StartsWithDial(entry)) return true;
                               return false;
                             });
}

MediumListing ListMedium(const std::string& directory) {
  return {services::EnumerateDirectory(directory + "*.*")};
}

}  // namespace launcher
