#include "files.h"

#include <windows.h>

#include <cstring>

#include "errors.h"
#include "paths.h"
#include "unique_handle.h"

namespace services {

namespace {
HANDLE CreateForWriting(const std::string& name) {
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

long FileStamp(const std::string& name) {
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(name.c_str(), &data));
  if (!find.valid()) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<long>((static_cast<unsigned long>(date) << 16) | time);
}

bool FileExistsSafe(const std::string& name) {
  return !name.empty() && FileStamp(name) != -1;
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
  UniqueFile created(CreateForWriting(name));
}

std::vector<std::string> EnumerateDirectory(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find.valid()) return names;
  do {
    data.cFileName[MAX_PATH - 1] = '\0';
    data.cAlternateFileName[13] = '\0';
    // A name that the code page cannot hold comes with '?' in place of the
    // characters it lacks, which no file name has: its 8.3 alias is real.
    bool lost = std::strchr(data.cFileName, '?') && data.cAlternateFileName[0];
    names.emplace_back(lost ? data.cAlternateFileName : data.cFileName);
  } while (FindNextFileA(find.get(), &data));
  return names;
}

Fault SaveListToFile(const std::vector<std::string>& lines,
                     const std::string& fileName) {
  std::string name = SanitizeFileName(fileName);
  EnsureFileExists(name);
  UniqueFile file(CreateForWriting(name));
  if (!file.valid()) return EFCreateError("Cannot create file " + name);
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
