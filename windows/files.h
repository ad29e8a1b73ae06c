// Files: existence and time stamps, forced deletion, directory listings and
// the list files written for the installed application.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"

namespace services {

// Last-write time as a packed local DOS date and time; -1 for a missing file
// or a folder. Files from 2044 on have negative stamps.
long FileStamp(const std::string& name);
// True for an existing file; folders do not count.
bool FileExistsSafe(const std::string& name);
// How long ago the file was last written, in the 100 nanoseconds that file
// times count (negative when it is dated ahead of the clock); empty for a
// missing file or a folder.
std::optional<long long> FileAge(const std::string& name);
// Clears the attributes first, so that read-only files go too.
bool DeleteFileForced(const std::string& name);
void EnsureFileExists(const std::string& name);
// A directory entry's long name, as the code page holds it, and its 8.3
// alias (empty when it has none).
struct DirectoryEntry {
  std::string name;
  std::string alias;
  bool folder = false;
};
// Every entry that the pattern matches, folders and "." ".." included.
std::vector<DirectoryEntry> EnumerateDirectory(const std::string& pattern);
// Writes each line with CR LF; answers EFCreateError, or EWriteError after
// removing a file that it could not write in full.
[[nodiscard]] Fault SaveListToFile(const std::vector<std::string>& lines,
                                   const std::string& fileName);

}  // namespace services
