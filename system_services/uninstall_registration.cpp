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

namespace {
// How many characters of the uninstall command come before the uninstaller's
// name.
std::string::size_type BeforeUninstaller(const std::string& command) {
  int p = PosNoCase("LxvDel.Exe", command);
  return p > 1 ? p - 1 : 0;
}
}  // namespace

Fault InstallDirectory(std::string& answer) {
  if (Fault fault = ReadUninstallValue("UninstallString", answer)) return fault;
  answer.resize(BeforeUninstaller(answer));
  // A quoted command ("C:\Program Files\...\LxvDel.Exe" /u ...) opens with a
  // quote that is no part of the directory.
  if (!answer.empty() && answer[0] == '"') answer.erase(0, 1);
  return std::nullopt;
}

std::string DataDirectory() {
  std::string command;
  RaiseFault(ReadUninstallValue("UninstallString", command));
  command.erase(0, BeforeUninstaller(command));
  return NthToken(command, 4);
}

}  // namespace services
