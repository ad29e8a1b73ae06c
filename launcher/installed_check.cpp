#include "installed_check.h"

#include "medium.h"
#include "module_handoff.h"
#include "startup_decision.h"
#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/paths.h"
#include "system_services/uninstall_registration.h"

namespace launcher {

using namespace services;

namespace {
// The registration as far as it could be read; a failed read is reported
// and the decision goes on with what the reads left.
void ReadRegistration(StartupFacts& facts) {
  Fault fault = ReadUninstallValue("DisplayName", facts.displayName);
  if (!fault) fault = InstallDirectory(facts.installDirectory);
  if (fault)
    ShowMessage("Error accessing LXV Windows' Registry", "Setup Error");
}
}  // namespace

bool CheckStartup(const std::string& mediumDirectory) {
  StartupFacts facts;
  ReadRegistration(facts);
  facts.filesPresent = MediumHasInstallFiles(mediumDirectory);
  StartupDecision decision = DecideStartup(facts, FileExistsSafe);
  switch (decision.outcome) {
    case StartupDecision::Outcome::kLaunch:
      return true;
    case StartupDecision::Outcome::kAdvise:
      ShowAdvice(decision.advice);
      return false;
    case StartupDecision::Outcome::kHandOff:
      HandOffModules(mediumDirectory, facts.installDirectory);
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
