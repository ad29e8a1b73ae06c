#include "installed_check.h"

#include <climits>

#include "medium.h"
#include "module_handoff.h"
#include "system_services/errors.h"
#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/paths.h"
#include "system_services/registry.h"

namespace launcher {

using namespace services;

namespace {
// Installed versions in this window cannot take modules from a medium.
bool IsTooOldForModules(int version) {
  return version > 7000000 && version < 9000000;
}
}  // namespace

int ParseVersionNumber(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() < 7) digits += "00";
  long long value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX)
      throw EConvertError("'" + digits + "' is not a valid integer value");
  }
  return static_cast<int>(value);
}

bool CheckStartup(const std::string& mediumDirectory) {
  std::string displayName;
  std::string installDirectory;
  try {
    ReadUninstallValue("DisplayName", displayName);
    InstallDirectory(installDirectory);
  } catch (...) {
    ShowMessage("Error accessing LXV Windows' Registry", "Setup Error");
  }
  bool filesPresent = MediumHasInstallFiles(mediumDirectory);
  if (filesPresent) {
    // A full medium always launches, once the registered version converts.
    if (!displayName.empty()) ParseVersionNumber(displayName);
    return true;
  }

  if (displayName.empty()) {
    // The second bracket stays open: the download advice follows at once.
    ShowAdvice("Program install files missing (2) <" + displayName + "> <" +
               installDirectory);
  } else if (IsTooOldForModules(ParseVersionNumber(displayName))) {
    ShowAdvice("Current Lexivane Program too old to install modules");
  } else if (FileExistsSafe(installDirectory + "Lxv.Exe")) {
    HandOffModules(mediumDirectory, installDirectory);
  } else {
    ShowAdvice("Program not properly installed");
  }
  return false;
}

bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument) {
  if (CompareNoCase(firstArgument, "autorun") != 0) return false;
  std::string installDirectory;
  InstallDirectory(installDirectory);
  if (installDirectory.empty()) return false;
  return FileStamp(installDirectory + "Lxv.Exe") > FileStamp(mediumProgramFile);
}

}  // namespace launcher
