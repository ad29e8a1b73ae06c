// The running process: its own path and command line, its current directory,
// and the start of other programs.
#pragma once

#include <string>

namespace services {

// The program file's full path. Raises ETooLongError when it does not fit
// its 261-character buffer.
std::string ProgramPath();
std::string ProcessCommandLine();
// Raises EInOutError with the platform's code when the directory cannot be
// made current.
void MakeDirectoryCurrent(const std::string& directory);
// Starts the command with WinExec; a code below 32 is a failure and is
// reported in the system's words.
// The platform's SW_SHOWNORMAL, the one mode programs are started with.
constexpr unsigned kShowNormal = 1;
unsigned RunProgram(const std::string& commandLine, unsigned showMode);
// Ends the process at once with the exit code.
[[noreturn]] void EndProcess(unsigned exitCode);

}  // namespace services
