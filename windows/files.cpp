#include "windows/files.h"

#include <windows.h>

#include "common/errors.h"
#include "common/path_limit.h"
#include "common/text_pattern.h"
#include "windows/file_handles.h"
#include "windows/paths.h"
#include "windows/system_functions.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
// A path too long for the platform: its name is looked up in the listing of
// its folder, whose pattern is shorter.
bool FoundInListing(const std::string& path, WIN32_FIND_DATAA& data) {
  std::string name = NamePart(path);
  UniqueFind find(FindFirstFileA((DirectoryPart(path) + "*").c_str(), &data));
  if (!find.valid()) return false;
  do {
    if (CompareNoCase(name, data.cFileName) == 0 ||
        CompareNoCase(name, data.cAlternateFileName) == 0)
      return true;
  } while (FindNextFileA(find.get(), &data));
  return false;
}

// Whether name is a file (not a folder); data describes it.
bool FindFile(const std::string& name, WIN32_FIND_DATAA& data) {
  if (!PathFits(name.size()))
    return FoundInListing(name, data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  UniqueFind find(FindFirstFileA(name.c_str(), &data));
  return find.valid() && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

long FileStamp(const std::string& name) {
  WIN32_FIND_DATAA data;
  if (!FindFile(name, data)) return -1;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<long>((static_cast<unsigned long>(date) << 16) | time);
}

// Asks for the file alone: a file dated before 1980 has no stamp, but it is
// there.
bool FileExistsSafe(const std::string& name) {
  WIN32_FIND_DATAA data;
  return !name.empty() && FindFile(name, data);
}

std::optional<long long> FileAge(const std::string& name) {
  WIN32_FIND_DATAA data;
  if (!FindFile(name, data)) return std::nullopt;
  FILETIME now;
  Kernel32().GetSystemTimeAsFileTime(&now);
  auto count = [](const FILETIME& time) {
    return static_cast<long long>(time.dwHighDateTime) << 32 |
           time.dwLowDateTime;
  };
  return count(now) - count(data.ftLastWriteTime);
}

bool DeleteFileForced(const std::string& name) {
  SetFileAttributesA(name.c_str(), 0);
  if (!FileExistsSafe(name)) return true;
  return DeleteFileA(name.c_str()) != FALSE;
}

void EnsureFileExists(const std::string& name) {
  if (FileExistsSafe(name)) {
    MoveFileA(name.c_str(), name.c_str());
    return;
  }
  CreateForWriting(name);
}

std::vector<DirectoryEntry> EnumerateDirectory(const std::string& pattern) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find.valid()) return entries;
  do {
    data.cFileName[MAX_PATH - 1] = '\0';
    data.cAlternateFileName[13] = '\0';
    entries.push_back(
        {data.cFileName, data.cAlternateFileName,
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(find.get(), &data));
  return entries;
}

Fault SaveListToFile(const std::vector<std::string>& lines,
                     const std::string& fileName) {
  std::string name = SanitizeFileName(fileName);
  EnsureFileExists(name);
  UniqueFile file = CreateForWriting(name);
  if (!file.valid())
    return EFCreateError(Substitute("Cannot create file %s", name));
  std::string contents;
  for (const std::string& line : lines) contents += line + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file.get(), contents.data(),
                 static_cast<DWORD>(contents.size()), &written, nullptr) ||
      written != contents.size()) {
    // A cut list would be read as a whole one: none at all is better.
    file.reset();
    DeleteFileA(name.c_str());
    return EWriteError("Stream write error");
  }
  return std::nullopt;
}

}  // namespace services
