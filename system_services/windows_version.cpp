#include "windows_version.h"

#include <windows.h>

#include "reported_call.h"

namespace services {

bool QueryWindowsVersion() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  bool queried = CallReported(
      "GetVersionEx", [&] { return GetVersionExA(&version) != FALSE; },
      [](bool answered) { return !answered; });
  if (!queried) version = OSVERSIONINFOA{};
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace services
