#include "launcher_services/uninstall_registration.h"

#include "common/command_tokens.h"
#include "launcher_services/code_page_paths.h"
#include "windows/registry.h"
#include "windows/text_tokens.h"

namespace services {

namespace {
// The current user's value, else the machine's (whose faults are swallowed),
// and which of the two answered.
Fault ReadUninstallValueFrom(const std::string& valueName, std::string& answer,
                             RegistryRoot& root) {
  root = RegistryRoot::kCurrentUser;
  Fault fault = ReadRegistryString(valueName, kUninstallKey, root, answer);
  if (fault || !answer.empty()) return fault;
  // The machine's registration is a fallback: a failed read of it counts as
  // read, with what it left.
  root = RegistryRoot::kLocalMachine;
  (void)ReadRegistryString(valueName, kUninstallKey, root, answer);
  return std::nullopt;
}

// The uninstall command. Where the code page cannot hold it (an install
// under "C:\Users\Zażółć\" on a Western system), the ANSI read has lost
// characters: on the NT family it is read again through the wide functions,
// in UTF-8, and its directories are taken from that and given in a form that
// the code page holds. A fault leaves what the ANSI read left.
struct UninstallCommand {
  std::string text;
  bool utf8 = false;

  std::string Directory(const std::string& path) const {
    return utf8 ? Utf8PathInCodePage(path) : path;
  }
};

Fault ReadUninstallCommand(UninstallCommand& command) {
  RegistryRoot root;
  Fault fault = ReadUninstallValueFrom("UninstallString", command.text, root);
  if (fault) return fault;
  std::string utf8 =
      ReadTextBeyondCodePage("UninstallString", kUninstallKey, root);
  command.utf8 = !utf8.empty();
  if (command.utf8) command.text = utf8;
  return std::nullopt;
}

// How many characters of the uninstall command come before the uninstaller's
// name.
std::string::size_type BeforeUninstaller(const std::string& command) {
  int p = PosNoCase("LxvDel.Exe", command);
  return p > 1 ? p - 1 : 0;
}
}  // namespace

Fault ReadUninstallValue(const std::string& valueName, std::string& answer) {
  RegistryRoot root;
  return ReadUninstallValueFrom(valueName, answer, root);
}

Fault InstallDirectory(std::string& answer) {
  UninstallCommand command;
  Fault fault = ReadUninstallCommand(command);
  answer = command.text;
  if (fault) return fault;
  answer.resize(BeforeUninstaller(answer));
  // A quoted command ("C:\Program Files\...\LxvDel.Exe" /u ...) opens with a
  // quote that is no part of the directory.
  if (!answer.empty() && answer[0] == '"') answer.erase(0, 1);
  if (!answer.empty()) answer = command.Directory(answer);
  return std::nullopt;
}

std::string DataDirectory() {
  UninstallCommand command;
  RaiseFault(ReadUninstallCommand(command));
  command.text.erase(0, BeforeUninstaller(command.text));
  std::string data = NthToken(command.text, 4);
  return data.empty() ? data : command.Directory(data);
}

}  // namespace services
