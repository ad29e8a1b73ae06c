#include "uninstall_registration.h"

#include "command_tokens.h"
#include "registry.h"
#include "text_tokens.h"

namespace services {

Fault ReadUninstallValue(const std::string& valueName, std::string& answer) {
  Fault fault = ReadRegistryString(valueName, kUninstallKey,
                                   RegistryRoot::kCurrentUser, answer);
  if (fault || !answer.empty()) return fault;
  // The machine's registration is a fallback: a failed read of it counts as
  // read, with what it left.
  (void)ReadRegistryString(valueName, kUninstallKey,
                           RegistryRoot::kLocalMachine, answer);
  return std::nullopt;
}

Fault InstallDirectory(std::string& answer) {
  if (Fault fault = ReadUninstallValue("UninstallString", answer)) return fault;
  int p = PosNoCase("LxvDel.Exe", answer);
  answer.resize(p > 1 ? p - 1 : 0);
  return std::nullopt;
}

std::string DataDirectory() {
  std::string command;
  RaiseFault(ReadUninstallValue("UninstallString", command));
  std::string installDirectory;
  RaiseFault(InstallDirectory(installDirectory));
  command.erase(0, installDirectory.size());
  return NthToken(command, 4);
}

}  // namespace services
