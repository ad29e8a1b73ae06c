// What a medium directory holds.
#pragma once

#include <string>
#include <vector>

#include "windows/files.h"

namespace launcher {

// The nested layout keeps the installation files in this subfolder; the
// compressed program there marks it.
constexpr char kNestedFolder[] = "lxv\\win32\\";
constexpr char kNestedMarker[] = "lxv\\win32\\lxv.ex_";

// The medium directory for the program at programPath: its directory, or the
// nested subfolder when that holds the installation files, in short form.
// Raises ETooLongError when the short form does not fit its buffer.
std::string MediumDirectory(const std::string& programPath);

// Whether the directory holds a complete set of installation files, each
// name looked up in the directory itself.
bool MediumHasInstallFiles(const std::string& directory);

// The entries of a medium directory, listed once: every look for a name that
// is not there reads the whole folder again, and a medium of many modules is
// a large folder. The files are looked up as the system finds a name: by
// its long name or its 8.3 alias, case ignored.
struct MediumListing {
  std::vector<services::DirectoryEntry> entries;
  bool HasFile(const std::string& name) const;
  // The same conditions as MediumHasInstallFiles, every one evaluated.
  bool HasInstallFiles() const;
};
MediumListing ListMedium(const std::string& directory);

}  // namespace launcher
