// The running process: its own path and command line, its current directory,
// and the start of other programs.
#pragma once

#include <string>

#include "common/errors.h"

namespace services {

// The program file's full path. Raises ETooLongError when it does not fit
// its 261-character buffer.
std::string ProgramPath();
std::string ProcessCommandLine();
// EInOutError with the platform's code when the directory cannot be made
// current.
[[nodiscard]] Fault MakeDirectoryCurrent(const std::string& directory);

// The platform's SW_SHOWNORMAL, the one mode programs are started with.
constexpr unsigned kShowNormal = 1;
// A program start as WinExec answered it: a code below 32 is a failure, with
// the last error that the start left.
struct ProgramStart {
  unsigned code = 0;
  unsigned long lastError = 0;
  bool Failed() const { return code < 32; }
};
// Starts the command with WinExec, reporting nothing.
ProgramStart StartProgram(const std::string& commandLine, unsigned showMode);
// A failed start in the system's words, captioned "Windows Error: WinExec".
void ReportFailedStart(const ProgramStart& start);
// Both: starts the command, and reports a failure at once.
unsigned RunProgram(const std::string& commandLine, unsigned showMode);
// Waits without doing anything.
void Pause(unsigned long milliseconds);
// Ends the process at once with the exit code.
[[noreturn]] void EndProcess(unsigned exitCode);

}  // namespace services
