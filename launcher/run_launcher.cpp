#include "run_launcher.h"

#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"
#include "installed_check.h"
#include "launch_locks.h"
#include "launch_plan.h"
#include "launcher_services/advice.h"
#include "launcher_services/expand.h"
#include "launcher_services/leftovers.h"
#include "medium.h"
#include "program_path.h"
#include "windows/files.h"
#include "windows/message_boxes.h"
#include "windows/paths.h"
#include "windows/process.h"

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
// what failed, if anything.
ExpandFailure ExpandSetupFiles(const std::string& medium,
                               const std::string& temp) {
  ExpandFailure failure = ExpandFile(medium + "Lxv.Ex_", temp + "Lxv.exe");
  if (failure.text.empty())
    failure = ExpandFile(medium + "Pyrn.Dl_", temp + "Pyrn.DLL");
  return failure;
}

// Expands the compressed program and library when the plan says so, and
// starts setup. Launchers of other media wait meanwhile for the temporary
// directory: nothing here waits for the user until it is given back, and the
// boxes come after.
void StartSetup(const std::string& medium, const std::string& temp,
                const SetupPlan& plan) {
  std::optional<NamedLock> tempLock;
  ExpandFailure copyFailure;
  if (plan.expandFirst) {
    if (!LeavesRoomFor(temp, "Pyrn.DLL"))
      Refuse<ETooLongError>(TextId::kTemporaryPathTooLong);
    tempLock = LockTemporaryDirectory(temp);
    // No other launcher is at work there now: a partial file is a leftover.
    if (tempLock->Held()) RemoveLeftoverPartials(temp);
    copyFailure = ExpandSetupFiles(medium, temp);
  }
  bool copied = copyFailure.text.empty();
  Fault notCurrent;
  ProgramStart start;
  if (copied) notCurrent = MakeDirectoryCurrent(plan.workingDirectory);
  if (copied && !notCurrent)
    start = StartProgram(plan.commandLine, kShowNormal);
  tempLock.reset();

  // The setup that still runs from there gets a refusal of its own.
  if (copyFailure.setupRunning) Raise(EBusyError(copyFailure.text));
  if (!copied) return ShowMessage(copyFailure.text, "CopyFile");
  RaiseFault(notCurrent);
  ReportFailedStart(start);
  if (start.Failed())
    ShowMessage(
        Substitute(Text(TextId::kSetupStartFailed), Decimal(start.code)),
        "WinExec");
}
}  // namespace

void RunLauncher(const std::string& programPath,
                 const std::string& firstArgument) {
  std::string medium = MediumDirectory(WithoutLongPathPrefix(programPath));
  StartupCheck check = GatherStartupCheck(medium);
  bool plain = check.medium.HasFile("Lxv.Exe");
  std::string mediumProgram = medium + (plain ? "Lxv.exe" : "Lxv.ex_");
  auto autorunStops = [&] {
    return check.decision.outcome == StartupDecision::Outcome::kLaunch &&
           InstalledCopyIsNewer(mediumProgram, firstArgument);
  };
  // Autorun meeting a newer installed copy does nothing, and so claims
  // nothing: it never makes an explicit start of the medium give way. An
  // unreadable registration is reported first, and the rule asked after.
  if (!check.registrationUnreadable && autorunStops()) return;
  std::optional<NamedLock> claim = ClaimMedium(medium);
  if (!claim) return;
  if (!CheckStartup(medium, check)) return;
  // Setup looks up its files in the medium directory too; a hand-off needs
  // no room for them.
  if (!LeavesRoomFor(medium, "Prelude.Msg"))
    Refuse<ETooLongError>(TextId::kPathTooLong, medium);

  std::string temp = SetupTemporaryDirectory();
  if (!MediumHasInstallFiles(medium)) {
    ShowAdvice(Text(TextId::kFilesMissing1));
    return;
  }
  if (check.registrationUnreadable && autorunStops()) return;
  StartSetup(medium, temp, PlanSetup(medium, temp, plain));
}

}  // namespace launcher
