// The installed copy's uninstall registration, and deletion of key trees.
#pragma once

#include <windows.h>

#include <string>

namespace services {

constexpr char kUninstallKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";
constexpr char kProductKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Lexivane";

// Reads a text value into answer; empty when the key or value is missing.
// A value of another type raises ERegistryException and leaves its raw bytes
// in answer.
void ReadRegistryString(const std::string& valueName,
                        const std::string& keyPath, HKEY root,
                        std::string& answer);
// The current user's value, else the machine's (whose errors are swallowed).
void ReadUninstallValue(const std::string& valueName, std::string& answer);
// The text before the uninstaller's name in "UninstallString".
void InstallDirectory(std::string& answer);
// Token 4 of the uninstaller's arguments.
std::string DataDirectory();

// Deletes the key and all its subkeys; failures are silent.
void DeleteRegistryTree(const std::string& keyPath, bool machineWide);

}  // namespace services
