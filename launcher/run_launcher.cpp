#include "run_launcher.h"

#include "installed_check.h"
#include "medium.h"
#include "system_services/expand.h"
#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/paths.h"
#include "system_services/process.h"

namespace launcher {

using namespace services;

namespace {
std::string WithoutLastCharacter(const std::string& text) {
  return text.empty() ? text : text.substr(0, text.size() - 1);
}

std::string TemporaryDirectory() {
  std::string temp = TempDirectory();
  if (temp.empty()) temp = "c:\\";
  return ShortPathOf(WithTrailingBackslash(temp));
}
}  // namespace

std::string SetupCommandLine(const std::string& programDirectory,
                             const std::string& mediumDirectory) {
  std::string program = programDirectory + "LXV.EXE";
  // Unquoted, a space would let the starter try another program first
  // ("C:\Temp Dir\LXV.EXE" runs "C:\Temp.exe" when there is one).
  if (program.find(' ') != std::string::npos) program = '"' + program + '"';
  return program + " \"" + mediumDirectory + '"';
}

void RunLauncher(const std::string& programPath,
                 const std::string& firstArgument) {
  std::string medium = MediumDirectory(programPath);
  if (!CheckStartup(medium)) return;

  std::string temp = TemporaryDirectory();
  if (!MediumHasInstallFiles(medium)) {
    ShowAdvice("Program install files missing. (1)");
    return;
  }

  std::string commandLine;
  std::string workingDirectory;
  if (FileExistsSafe(medium + "Lxv.Exe")) {
    commandLine = SetupCommandLine(medium, medium);
    if (InstalledCopyIsNewer(medium + "Lxv.exe", firstArgument)) return;
    workingDirectory = WithoutLastCharacter(medium);
  } else {
    if (InstalledCopyIsNewer(medium + "Lxv.ex_", firstArgument)) return;
    if (!ExpandFile(medium + "Lxv.Ex_", temp + "Lxv.exe")) return;
    if (!ExpandFile(medium + "Pyrn.Dl_", temp + "Pyrn.DLL")) return;
    commandLine = SetupCommandLine(temp, medium);
    workingDirectory = WithoutLastCharacter(temp);
  }

  MakeDirectoryCurrent(workingDirectory);
  unsigned code = RunProgram(commandLine, kShowNormal);
  if (code < 32)
    ShowMessage("Failed to run SETUP1.EXE. Error code: " + std::to_string(code),
                "WinExec");
}

}  // namespace launcher
