#include "installed_check.h"

#include "common/texts.h"
#include "launcher_services/advice.h"
#include "launcher_services/uninstall_registration.h"
#include "medium.h"
#include "module_handoff.h"
#include "windows/files.h"
#include "windows/message_boxes.h"
#include "windows/paths.h"

namespace launcher {

using namespace services;

StartupCheck GatherStartupCheck(const std::string& mediumDirectory) {
  StartupCheck check;
  // A failed read is reported later; the decision goes on with what the
  // reads left.
  Fault fault = ReadUninstallValue("DisplayName", check.facts.displayName);
  if (!fault) fault = InstallDirectory(check.facts.installDirectory);
  check.registrationUnreadable = fault.has_value();
  check.medium = ListMedium(mediumDirectory);
  check.facts.filesPresent = check.medium.HasInstallFiles();
  check.decision = DecideStartup(check.facts, FileExistsSafe);
  return check;
}

bool CheckStartup(const std::string& mediumDirectory,
                  const StartupCheck& check) {
  if (check.registrationUnreadable)
    ShowMessage(Text(TextId::kRegistryUnreadable),
                Text(TextId::kCaptionSetupError));
  const StartupDecision& decision = check.decision;
  switch (decision.outcome) {
    case StartupDecision::Outcome::kLaunch:
      return true;
    case StartupDecision::Outcome::kAdvise:
      ShowAdvice(decision.advice);
      return false;
    case StartupDecision::Outcome::kHandOff:
      HandOffModules(mediumDirectory, check.facts.installDirectory,
                     check.medium.entries);
      return false;
  }
  return false;
}

bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument) {
  if (CompareNoCase(firstArgument, "autorun") != 0) return false;
  std::string installDirectory;
  RaiseFault(InstallDirectory(installDirectory));
  if (installDirectory.empty()) return false;
  return FileStamp(installDirectory + "Lxv.Exe") > FileStamp(mediumProgramFile);
}

}  // namespace launcher
