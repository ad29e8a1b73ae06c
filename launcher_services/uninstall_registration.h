// The installed copy's uninstall registration: display name, install and
// data directories; and the product key removed at every start.
#pragma once

#include <string>

#include "common/errors.h"

namespace services {

constexpr char kUninstallKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";
constexpr char kProductKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Lexivane";

// The current user's value, else the machine's (whose faults are swallowed).
// A fault of the user's read leaves in answer what that read left.
[[nodiscard]] Fault ReadUninstallValue(const std::string& valueName,
                                       std::string& answer);
// The text before the uninstaller's name in "UninstallString", without the
// opening quote of a quoted command.
[[nodiscard]] Fault InstallDirectory(std::string& answer);
// Token 4 of the uninstaller's arguments; raises a fault of the reads.
std::string DataDirectory();

}  // namespace services
