// Whether the user belongs to the built-in Administrators group (NT family
// only). The token functions are passed in, so that tests can make each step
// fail; the program resolves the system's own at run time.
#pragma once

#include <windows.h>

namespace services {

// Security functions exist on the NT family only; they are looked up at run
// time so that the program still loads on Windows 95.
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

// Null members for functions the system does not have.
TokenFunctions ResolveTokenFunctions();

// Whether the user's token lists the Administrators group. Raises
// SystemError "Winsys: Administrator-1/-2/-3" when the query fails.
bool IsAdministrator();
bool IsAdministratorWith(const TokenFunctions& api);

}  // namespace services
