// Start-up of the services: the Windows version, on the NT family the
// Administrators membership, then the clean-up of the product key.
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

// True on the NT family; a failed query is reported and counts as not NT.
bool QueryWindowsVersion();
// Whether the user's token lists the Administrators group. Raises
// SystemError "Winsys: Administrator-1/-2/-3" when the query fails.
bool IsAdministrator();
bool IsAdministratorWith(const TokenFunctions& api);

void StartServices();

}  // namespace services
