// The functions that only some Windows versions have, looked up by name at
// run time rather than imported (an import that the system lacks stops the
// program from loading at all): one table per system library, resolved once
// and kept for the program's lifetime. A member is null where the system has
// no such function.
#pragma once

#include <windows.h>

namespace services {

struct KernelFunctions {
  // The NT family's wide paths.
  DWORD(WINAPI* GetModuleFileNameW)(HMODULE, LPWSTR, DWORD);
  DWORD(WINAPI* GetTempPathW)(DWORD, LPWSTR);
  DWORD(WINAPI* GetShortPathNameW)(LPCWSTR, LPWSTR, DWORD);
  // Replacing a file in one step (NT family).
  BOOL(WINAPI* MoveFileExA)(LPCSTR, LPCSTR, DWORD);
  // Every Windows has these two; looked up rather than imported, so that the
  // list of imports stays as Windows 95 and NT 4 were tested with.
  HANDLE(WINAPI* OpenMutexA)(DWORD, BOOL, LPCSTR);
  VOID(WINAPI* GetSystemTimeAsFileTime)(LPFILETIME);
  // The user's language (Windows 2000 and Me on).
  LANGID(WINAPI* GetUserDefaultUILanguage)();
  // Narrowing the DLL search (Windows 7 with KB2533623, XP SP1).
  BOOL(WINAPI* SetDefaultDllDirectories)(DWORD);
  BOOL(WINAPI* SetDllDirectoryA)(LPCSTR);
};

// The security functions of the Administrators query (NT family only).
struct TokenFunctions {
  BOOL(WINAPI* OpenThreadToken)(HANDLE, DWORD, BOOL, PHANDLE);
  BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE);
  BOOL(WINAPI* AllocateAndInitializeSid)
  (PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
   DWORD, DWORD, PSID*);
  BOOL(WINAPI* GetTokenInformation)
  (HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  BOOL(WINAPI* EqualSid)(PSID, PSID);
  PVOID(WINAPI* FreeSid)(PSID);
};

struct AdvapiFunctions {
  TokenFunctions tokens;
  // The NT family's wide registry names and texts.
  LONG(WINAPI* RegQueryValueExW)
  (HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  LONG(WINAPI* RegEnumKeyExW)
  (HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME);
};

// The native calls, where the Win32 ones cannot say or do the same (NT
// family; the 95 family has no ntdll.dll). Each answers an NTSTATUS, 0 on
// success.
struct NtdllFunctions {
  // Opens a key as itself where it is a registry link (OBJ_OPENLINK), and
  // deletes the key that a handle names: a link itself, or a key whose name
  // the code page cannot hold.
  LONG(WINAPI* NtOpenKey)(PHANDLE, ACCESS_MASK, const void* objectAttributes);
  LONG(WINAPI* NtDeleteKey)(HANDLE);
  // The path of a process's program (XP on), and of an open file.
  LONG(WINAPI* NtQueryInformationProcess)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  LONG(WINAPI* NtQueryInformationFile)(HANDLE, PVOID, PVOID, ULONG, ULONG);
  // Deletes a file by its handle.
  LONG(WINAPI* NtSetInformationFile)(HANDLE, PVOID, PVOID, ULONG, ULONG);
};

// The pseudo-handles of the running process and thread on the NT family,
// which the calls that only the NT family makes take (GetCurrentProcess and
// GetCurrentThread answer them there).
inline HANDLE const kThisProcess = reinterpret_cast<HANDLE>(-1);
inline HANDLE const kThisThread = reinterpret_cast<HANDLE>(-2);

const KernelFunctions& Kernel32();
const AdvapiFunctions& Advapi32();
const NtdllFunctions& Ntdll();

}  // namespace services
