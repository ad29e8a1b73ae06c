#include "windows/directory_identity.h"

#include <windows.h>

#include "common/hex_text.h"
#include "windows/unique_handle.h"
#include "windows/windows_version.h"

namespace services {

std::string DirectoryIdentity(const std::string& directory) {
  if (!IsNtFamily()) return std::string();
  // Opening a directory takes backup semantics, and no access rights beyond
  // reading its attributes.
  UniqueFile opened(
      CreateFileA(directory.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!opened.valid() ||
      !GetFileInformationByHandle(opened.get(), &information) ||
      !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::string();
  char identity[24];
  WriteHex(information.dwVolumeSerialNumber, 8, identity);
  WriteHex(information.nFileIndexHigh, 8, identity + 8);
  WriteHex(information.nFileIndexLow, 8, identity + 16);
  return std::string(identity, sizeof identity);
}

}  // namespace services
