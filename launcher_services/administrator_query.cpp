#include "launcher_services/administrator_query.h"

#include <string>

#include "common/errors.h"
#include "windows/system_functions.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
UniqueToken OpenUserToken(const TokenFunctions& api) {
  HANDLE token = nullptr;
  if (api.OpenThreadToken &&
      api.OpenThreadToken(kThisThread, TOKEN_QUERY, TRUE, &token))
    return UniqueToken(token);
  if (GetLastError() == ERROR_NO_TOKEN && api.OpenProcessToken &&
      api.OpenProcessToken(kThisProcess, TOKEN_QUERY, &token))
    return UniqueToken(token);
  return UniqueToken();
}

// Whether the token lists the Administrators group; failedStep names the
// step of the query that failed ('1' to '3'), if one did.
bool AdministratorsListed(const TokenFunctions& api, HANDLE token,
                          char& failedStep) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
  UniqueSid administrators(nullptr, SidTraits{api.FreeSid});
  failedStep = '1';
  if (!api.AllocateAndInitializeSid ||
      !api.AllocateAndInitializeSid(
          &ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
          0, 0, 0, 0, 0, 0, administrators.put()))
    return false;

  DWORD size = 0;
  failedStep = '2';
  if (!api.GetTokenInformation ||
      api.GetTokenInformation(token, TokenGroups, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;

  // Zero-filled; its bytes on the heap, aligned for the record.
  std::string buffer(size, '\0');
  failedStep = '3';
  if (!api.GetTokenInformation(token, TokenGroups, &buffer[0], size, &size))
    return false;

  failedStep = 0;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (api.EqualSid &&
        api.EqualSid(groups->Groups[i].Sid, administrators.get()))
      return true;
  return false;
}
}  // namespace

bool IsAdministratorWith(const TokenFunctions& api) {
  UniqueToken token = OpenUserToken(api);
  if (!token.valid()) return false;
  char failedStep;
  bool listed = AdministratorsListed(api, token.get(), failedStep);
  // Raised once the buffer and the identity have gone.
  char message[] = "Winsys: Administrator-?";
  message[sizeof message - 2] = failedStep;
  if (failedStep) Raise(SystemError(message));
  return listed;
}

bool IsAdministrator() { return IsAdministratorWith(Advapi32().tokens); }

}  // namespace services
