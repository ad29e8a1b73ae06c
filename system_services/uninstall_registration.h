// The installed copy's uninstall registration: display name, install and
// data directories; and the product key removed at every start.
#pragma once

#include <string>

namespace services {

constexpr char kUninstallKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";
constexpr char kProductKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Lexivane";

// The current user's value, else the machine's (whose errors are swallowed).
void ReadUninstallValue(const std::string& valueName, std::string& answer);
// The text before the uninstaller's name in "UninstallString".
void InstallDirectory(std::string& answer);
// Token 4 of the uninstaller's arguments.
std::string DataDirectory();

}  // namespace services
