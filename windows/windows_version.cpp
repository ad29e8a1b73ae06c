#include "windows/windows_version.h"

#include <windows.h>

#include "windows/reported_call.h"

namespace services {

namespace {
DWORD majorVersion = 0;
}  // namespace

bool QueryWindowsVersionWith(BOOL(WINAPI* getVersion)(LPOSVERSIONINFOA)) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  bool queried = CallReported(
      "GetVersionEx", [&] { return getVersion(&version) != FALSE; },
      [](bool answered) { return !answered; });
  if (!queried) version = OSVERSIONINFOA{};
  majorVersion = version.dwMajorVersion;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool QueryWindowsVersion() { return QueryWindowsVersionWith(GetVersionExA); }

bool IsNtFamily() {
  static const bool isNt = QueryWindowsVersion();
  return isNt;
}

bool HasIntegrityLevels() { return IsNtFamily() && majorVersion >= 6; }

}  // namespace services
