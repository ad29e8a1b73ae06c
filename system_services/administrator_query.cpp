#include "administrator_query.h"

#include <string>

#include "errors.h"
#include "unique_handle.h"

namespace services {

namespace {
UniqueToken OpenUserToken(const TokenFunctions& api) {
  HANDLE token = nullptr;
  if (api.OpenThreadToken &&
      api.OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
    return UniqueToken(token);
  if (GetLastError() == ERROR_NO_TOKEN && api.OpenProcessToken &&
      api.OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return UniqueToken(token);
  return UniqueToken();
}
}  // namespace

bool IsAdministratorWith(const TokenFunctions& api) {
  UniqueToken token = OpenUserToken(api);
  if (!token.valid()) return false;

  SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
  UniqueSid administrators(nullptr, SidTraits{api.FreeSid});
  if (!api.AllocateAndInitializeSid ||
      !api.AllocateAndInitializeSid(
          &ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
          0, 0, 0, 0, 0, 0, administrators.put()))
    Raise(SystemError("Winsys: Administrator-1"));

  DWORD size = 0;
  if (!api.GetTokenInformation ||
      api.GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    Raise(SystemError("Winsys: Administrator-2"));

  // Zero-filled; its bytes on the heap, aligned for the record.
  std::string buffer(size, '\0');
  if (!api.GetTokenInformation(token.get(), TokenGroups, &buffer[0], size,
                               &size))
    Raise(SystemError("Winsys: Administrator-3"));

  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (api.EqualSid &&
        api.EqualSid(groups->Groups[i].Sid, administrators.get()))
      return true;
  return false;
}

bool IsAdministrator() { return IsAdministratorWith(Advapi32().tokens); }

}  // namespace services
