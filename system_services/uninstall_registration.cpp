#include "uninstall_registration.h"

#include "command_tokens.h"
#include "registry.h"
#include "text_tokens.h"

namespace services {

void ReadUninstallValue(const std::string& valueName, std::string& answer) {
  ReadRegistryString(valueName, kUninstallKey, RegistryRoot::kCurrentUser,
                     answer);
  if (!answer.empty()) return;
  try {
    ReadRegistryString(valueName, kUninstallKey, RegistryRoot::kLocalMachine,
                       answer);
  } catch (...) {
    // The machine's registration is a fallback: whatever breaks its read
    // (bad data, no memory for a huge value) counts as read.
  }
}

void InstallDirectory(std::string& answer) {
  ReadUninstallValue("UninstallString", answer);
  int p = PosNoCase("LxvDel.Exe", answer);
  answer.resize(p > 1 ? p - 1 : 0);
}

std::string DataDirectory() {
  std::string command;
  ReadUninstallValue("UninstallString", command);
  std::string installDirectory;
  InstallDirectory(installDirectory);
  command.erase(0, installDirectory.size());
  return NthToken(command, 4);
}

}  // namespace services
