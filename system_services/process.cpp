#include "process.h"

#include <windows.h>

#include "errors.h"
#include "messages.h"

namespace services {

std::string ProgramPath() {
  constexpr DWORD kBuffer = 261;
  char path[kBuffer + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, kBuffer);
  // A full buffer means the path was cut (and, on older systems, not ended).
  if (length >= kBuffer)
    throw ETooLongError("The path of this program is too long.");
  return std::string(path, length);
}

std::string ProcessCommandLine() { return GetCommandLineA(); }

void MakeDirectoryCurrent(const std::string& directory) {
  if (!SetCurrentDirectoryA(directory.c_str()))
    throw EInOutError(GetLastError());
}

unsigned RunProgram(const std::string& commandLine, unsigned showMode) {
  SetLastError(0);
  UINT code = WinExec(commandLine.c_str(), showMode);
  if (code < 32) ReportWindowsError("WinExec");
  return code;
}

}  // namespace services
