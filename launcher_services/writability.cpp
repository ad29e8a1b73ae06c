#include "launcher_services/writability.h"

#include <windows.h>

#include "windows/file_handles.h"
#include "windows/files.h"
#include "windows/paths.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
UINT savedErrorMode = 0;

bool WriteProbe(const std::string& probe) {
  static const char kContents[] = "$$$.$$$";
  UniqueFile file = CreateForWriting(probe);
  if (!file.valid()) return false;
  DWORD written = 0;
  bool writable =
      WriteFile(file.get(), kContents, 7, &written, nullptr) && written == 7;
  file.reset();
  DeleteFileForced(probe);
  return writable;
}
}  // namespace

bool IsUsableDrive(char letter) {
  const char root[] = {letter, ':', '\\', '\0'};
  UINT type = GetDriveTypeA(root);
  return type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK;
}

void SetCriticalErrorsOff(bool on) {
  // SetErrorMode cannot fail: there is nothing to report.
  UINT mode = SetErrorMode(on ? SEM_FAILCRITICALERRORS : savedErrorMode);
  if (on) savedErrorMode = mode;
}

bool DirectoryIsWritable(const std::string& directory) {
  std::string probe = WithTrailingBackslash(directory) + "$$$.$$$";
  if (!IsUsableDrive(probe[0])) return false;
  CriticalErrorsOff quiet;
  DeleteFileForced(probe);
  return WriteProbe(probe);
}

}  // namespace services
