#include "run_launcher.h"

#include "installed_check.h"
#include "launch_plan.h"
#include "medium.h"
#include "system_services/errors.h"
#include "system_services/expand.h"
#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/named_lock.h"
#include "system_services/paths.h"
#include "system_services/process.h"

namespace launcher {

using namespace services;

namespace {
// The temporary directory that expanded files go to: "c:\" when the system
// gives none, in short form.
std::string SetupTemporaryDirectory() {
  std::string temp = TempDirectory();
  if (temp.empty()) temp = "c:\\";
  return ShortPathOf(WithTrailingBackslash(temp));
}

// The compressed program and library, expanded into the temporary directory;
// false once either fails (it has been reported).
bool ExpandSetupFiles(const std::string& medium, const std::string& temp) {
  return ExpandFile(medium + "Lxv.Ex_", temp + "Lxv.exe") &&
         ExpandFile(medium + "Pyrn.Dl_", temp + "Pyrn.DLL");
}
}  // namespace

void RunLauncher(const std::string& programPath,
                 const std::string& firstArgument) {
  std::string medium = MediumDirectory(programPath);
  // Autorun and a double-click at once: the launcher that is already busy
  // with this medium does the job, the other one steps aside.
  if (!TakeLock("medium", medium, false)) return;
  if (!CheckStartup(medium)) return;
  // Setup looks up its files in the medium directory too; a hand-off needs
  // no room for them.
  if (!LeavesRoomForItsFileNames(medium))
    Raise(ETooLongError("The path \"" + medium + "\" is too long."));

  std::string temp = SetupTemporaryDirectory();
  if (!MediumHasInstallFiles(medium)) {
    ShowAdvice("Program install files missing. (1)");
    return;
  }

  SetupPlan plan = PlanSetup(medium, temp, FileExistsSafe(medium + "Lxv.Exe"));
  std::string mediumProgram =
      medium + (plan.expandFirst ? "Lxv.ex_" : "Lxv.exe");
  if (InstalledCopyIsNewer(mediumProgram, firstArgument)) return;
  // Launchers of other media expand into the same directory: one at a time,
  // from its expansion to its end, so that each starts what it expanded.
  if (plan.expandFirst) {
    TakeLock("temporary", temp, true);
    if (!ExpandSetupFiles(medium, temp)) return;
  }

  MakeDirectoryCurrent(plan.workingDirectory);
  unsigned code = RunProgram(plan.commandLine, kShowNormal);
  if (code < 32)
    ShowMessage("Failed to run SETUP1.EXE. Error code: " + std::to_string(code),
                "WinExec");
}

}  // namespace launcher
