#include "launcher_services/partial_files.h"

#include <windows.h>

#include "common/hex_text.h"
#include "common/native_names.h"
#include "launcher_services/leftovers.h"
#include "windows/file_handles.h"
#include "windows/files.h"
#include "windows/system_functions.h"
#include "windows/windows_version.h"

namespace services {

namespace {
constexpr char kPrefix[] = "~Lxv";

bool IsPartialName(const std::string& name) {
  if (name.size() != 8 || name.compare(0, 4, kPrefix) != 0) return false;
  for (std::size_t i = 4; i < 8; ++i)
    if (name[i] - '0' > 9u && name[i] - 'A' > 5u) return false;
  return true;
}

constexpr ULONG kFileNameInformation = 9;
constexpr ULONG kFileDispositionInformation = 13;

// Deletes a regular file by a handle that names it, not what a link leads
// to. Opened as itself, a link or junction shows its reparse attribute;
// where the system follows a link all the same (Wine opens a Unix symbolic
// link's target), the handle names the target, whose name differs.
void DeleteRegularFile(const std::string& directory, const std::string& name) {
  std::string path = directory + name;
  const NtdllFunctions& ntdll = Ntdll();
  if (!IsNtFamily() || !ntdll.NtQueryInformationFile ||
      !ntdll.NtSetInformationFile) {
    // The 95 family has no links; a folder is no file to it either.
    if (FileExistsSafe(path)) DeleteFileA(path.c_str());
    return;
  }
  UniqueFile file(CreateFileA(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!file.valid() || !GetFileInformationByHandle(file.get(), &information) ||
      information.dwFileAttributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
    return;
  ULONG_PTR status[2];  // an I/O status block
  struct {
    ULONG length;  // in bytes
    wchar_t text[MAX_PATH];
  } named;
  if (ntdll.NtQueryInformationFile(file.get(), status, &named, sizeof named,
                                   kFileNameInformation) != 0 ||
      !LastComponentIs(named.text, named.length / 2, name.data(), name.size()))
    return;
  BOOLEAN remove = TRUE;
  ntdll.NtSetInformationFile(file.get(), status, &remove, sizeof remove,
                             kFileDispositionInformation);
}
}  // namespace

UniqueFile CreatePartial(const std::string& directory, unsigned long seed,
                         std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt, ++seed) {
    name = directory + kPrefix + Hex(seed, 4);
    UniqueFile file = CreateForWriting(name, true);
    if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueFile();
}

bool TakePlace(const std::string& partial, const std::string& destination) {
  auto moveReplacing = Kernel32().MoveFileExA;
  if (IsNtFamily() && moveReplacing)
    return moveReplacing(partial.c_str(), destination.c_str(),
                         MOVEFILE_REPLACE_EXISTING) != FALSE;
  DeleteFileA(destination.c_str());
  return MoveFileA(partial.c_str(), destination.c_str()) != FALSE;
}

void RemoveLeftoverPartials(const std::string& directory) {
  for (const DirectoryEntry& entry : EnumerateDirectory(directory + "~Lxv????"))
    if (IsPartialName(entry.name)) DeleteRegularFile(directory, entry.name);
}

}  // namespace services
