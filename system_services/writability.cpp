#include "writability.h"

#include <windows.h>

#include "file_handles.h"
#include "files.h"
#include "paths.h"
#include "reported_call.h"
#include "unique_handle.h"

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
  // No failure test: the report follows every call, and shows something only
  // when the call left a last error.
  UINT mode = CallReported(
      "SetErrorMode",
      [on] {
        return SetErrorMode(on ? SEM_FAILCRITICALERRORS : savedErrorMode);
      },
      [](UINT) { return true; });
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
