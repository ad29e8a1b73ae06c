#include "writability.h"

#include <windows.h>

#include "files.h"
#include "messages.h"
#include "paths.h"
#include "unique_handle.h"

namespace services {

namespace {
UINT savedErrorMode = 0;

bool WriteProbe(const std::string& probe) {
  static const char kContents[] = "$$$.$$$";
  UniqueFile file(CreateFileA(probe.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
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
  SetLastError(0);
  if (on)
    savedErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  else
    SetErrorMode(savedErrorMode);
  ReportWindowsError("SetErrorMode");
}

bool DirectoryIsWritable(const std::string& directory) {
  std::string probe = WithTrailingBackslash(directory) + "$$$.$$$";
  if (!IsUsableDrive(probe[0])) return false;
  SetCriticalErrorsOff(true);
  bool writable = false;
  try {
    DeleteFileForced(probe);
    writable = WriteProbe(probe);
  } catch (...) {
  }
  SetCriticalErrorsOff(false);
  return writable;
}

}  // namespace services
