#include "windows/system_functions.h"

#include "common/text_id.h"
#include "windows/system_library.h"

namespace services {

namespace {
// The libraries are in the process already: kernel32 and advapi32 are
// imported, and the NT family maps ntdll.dll into every process (the 95
// family has none).
KernelFunctions ResolveKernel32() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  KernelFunctions f = {};
  ResolveFunction(kernel, "GetModuleFileNameW", f.GetModuleFileNameW);
  ResolveFunction(kernel, "GetTempPathW", f.GetTempPathW);
  ResolveFunction(kernel, "GetShortPathNameW", f.GetShortPathNameW);
  ResolveFunction(kernel, "MoveFileExA", f.MoveFileExA);
  ResolveFunction(kernel, "OpenMutexA", f.OpenMutexA);
  ResolveFunction(kernel, "GetSystemTimeAsFileTime", f.GetSystemTimeAsFileTime);
  // Asked only where the program speaks other languages than English.
  if (kOtherLanguageCount > 0)
    ResolveFunction(kernel, "GetUserDefaultUILanguage",
                    f.GetUserDefaultUILanguage);
  ResolveFunction(kernel, "SetDefaultDllDirectories",
                  f.SetDefaultDllDirectories);
  ResolveFunction(kernel, "SetDllDirectoryA", f.SetDllDirectoryA);
  return f;
}

AdvapiFunctions ResolveAdvapi32() {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  AdvapiFunctions f = {};
  ResolveFunction(advapi, "OpenThreadToken", f.tokens.OpenThreadToken);
  ResolveFunction(advapi, "OpenProcessToken", f.tokens.OpenProcessToken);
  ResolveFunction(advapi, "AllocateAndInitializeSid",
                  f.tokens.AllocateAndInitializeSid);
  ResolveFunction(advapi, "GetTokenInformation", f.tokens.GetTokenInformation);
  ResolveFunction(advapi, "EqualSid", f.tokens.EqualSid);
  ResolveFunction(advapi, "FreeSid", f.tokens.FreeSid);
  ResolveFunction(advapi, "RegQueryValueExW", f.RegQueryValueExW);
  ResolveFunction(advapi, "RegEnumKeyExW", f.RegEnumKeyExW);
  return f;
}
}  // namespace

const KernelFunctions& Kernel32() {
  static const KernelFunctions functions = ResolveKernel32();
  return functions;
}

const AdvapiFunctions& Advapi32() {
  static const AdvapiFunctions functions = ResolveAdvapi32();
  return functions;
}

const NtdllFunctions& Ntdll() {
  static const NtdllFunctions functions = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    NtdllFunctions f = {};
    ResolveFunction(ntdll, "NtOpenKey", f.NtOpenKey);
    ResolveFunction(ntdll, "NtDeleteKey", f.NtDeleteKey);
    ResolveFunction(ntdll, "NtQueryInformationProcess",
                    f.NtQueryInformationProcess);
    ResolveFunction(ntdll, "NtQueryInformationFile", f.NtQueryInformationFile);
    ResolveFunction(ntdll, "NtSetInformationFile", f.NtSetInformationFile);
    return f;
  }();
  return functions;
}

}  // namespace services
