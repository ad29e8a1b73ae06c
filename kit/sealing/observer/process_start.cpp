#include "process_start.h"

#include <winternl.h>

#include <cstddef>

namespace {

// The start of RTL_USER_PROCESS_PARAMETERS in a 32-bit process: the fields
// that say how the process was started.
struct ProcessParameters {
  ULONG maximum_length;
  ULONG length;
  ULONG flags;
  ULONG debug_flags;
  ULONG console[5];
  UNICODE_STRING current_directory;
  HANDLE current_directory_handle;
  UNICODE_STRING dll_path;
  UNICODE_STRING image_path;
  UNICODE_STRING command_line;
};
// Until the new process has started, its strings are offsets from the
// parameter block rather than addresses.
constexpr ULONG kParametersNormalized = 1;

using QueryProcess = NTSTATUS(WINAPI *)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG,
                                        PULONG);

bool ReadText(HANDLE process, ULONG_PTR base,
              const ProcessParameters &parameters, const UNICODE_STRING &text,
              std::wstring &out) {
  ULONG_PTR address = reinterpret_cast<ULONG_PTR>(text.Buffer);
  if (!(parameters.flags & kParametersNormalized)) address += base;
  out.assign(text.Length / sizeof(wchar_t), L'\0');
  SIZE_T read = 0;
  // A text that is still being copied in holds zeros.
  return out.empty() ||
         (ReadProcessMemory(process, reinterpret_cast<void *>(address), &out[0],
                            text.Length, &read) &&
          out.find(L'\0') == std::wstring::npos);
}

}  // namespace

// Looked up before any thread starts (the program's statics are not
// guarded for threads).
const QueryProcess query = reinterpret_cast<QueryProcess>(GetProcAddress(
    GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess"));

bool ReadStart(HANDLE process, Start &start) {
  PROCESS_BASIC_INFORMATION basic{};
  ULONG_PTR base = 0;
  ProcessParameters parameters{};
  SIZE_T read = 0;
  return query &&
         query(process, ProcessBasicInformation, &basic, sizeof basic,
               nullptr) >= 0 &&
         basic.PebBaseAddress &&
         ReadProcessMemory(process,
                           reinterpret_cast<char *>(basic.PebBaseAddress) +
                               offsetof(PEB, ProcessParameters),
                           &base, sizeof base, &read) &&
         base &&
         ReadProcessMemory(process, reinterpret_cast<void *>(base), &parameters,
                           sizeof parameters, &read) &&
         ReadText(process, base, parameters, parameters.image_path,
                  start.program) &&
         ReadText(process, base, parameters, parameters.command_line,
                  start.command_line) &&
         ReadText(process, base, parameters, parameters.current_directory,
                  start.directory) &&
         // A parameter block that is still being filled in lacks some of
         // them; a started program always has all three.
         !start.program.empty() && !start.command_line.empty() &&
         !start.directory.empty();
}

bool IsWineDesktop(const Start &start) {
  wchar_t system[MAX_PATH];
  UINT size = GetSystemDirectoryW(system, MAX_PATH);
  std::wstring explorer = std::wstring(system, size) + L"\\explorer.exe";
  return lstrcmpiW(start.program.c_str(), explorer.c_str()) == 0 &&
         lstrcmpiW(start.command_line.c_str(),
                   (explorer + L" /desktop").c_str()) == 0;
}
