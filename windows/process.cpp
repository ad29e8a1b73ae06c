#include "windows/process.h"

#include <windows.h>

#include "common/errors.h"
#include "common/texts.h"
#include "launcher_services/code_page_paths.h"
#include "windows/message_boxes.h"
#include "windows/reported_call.h"

namespace services {

std::string ProgramPath() {
  constexpr DWORD kBuffer = 261;
  char path[kBuffer + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, kBuffer);
  // A full buffer means the path was cut (and, on older systems, not ended).
  if (length >= kBuffer) Refuse<ETooLongError>(TextId::kProgramPathTooLong);
  return ProgramPathInCodePage(std::string(path, length));
}

std::string ProcessCommandLine() { return GetCommandLineA(); }

Fault MakeDirectoryCurrent(const std::string& directory) {
  if (SetCurrentDirectoryA(directory.c_str())) return std::nullopt;
  // Read at once: making the error object may change the last error.
  DWORD code = GetLastError();
  return EInOutError(code);
}

ProgramStart StartProgram(const std::string& commandLine, unsigned showMode) {
  auto outcome = CallClearingLastError(
      [&] { return WinExec(commandLine.c_str(), showMode); });
  return {outcome.result, outcome.lastError};
}

void ReportFailedStart(const ProgramStart& start) {
  if (start.Failed()) ReportWindowsError("WinExec", start.lastError);
}

unsigned RunProgram(const std::string& commandLine, unsigned showMode) {
  ProgramStart start = StartProgram(commandLine, showMode);
  ReportFailedStart(start);
  return start.code;
}

void Pause(unsigned long milliseconds) { Sleep(milliseconds); }

void EndProcess(unsigned exitCode) { ExitProcess(exitCode); }

}  // namespace services
