#include "startup.h"

#include "administrator_query.h"
#include "registry.h"
#include "startup_with_tokens.h"
#include "uninstall_registration.h"
#include "windows_version.h"

namespace services {

namespace {
// Kept for the program's lifetime with the Windows family (IsNtFamily);
// nothing reads it yet.
bool isAdministrator = true;
}  // namespace

void StartServicesWith(const TokenFunctions& tokenFunctions) {
  isAdministrator = IsNtFamily() ? IsAdministratorWith(tokenFunctions) : true;
  DeleteRegistryTree(kProductKey, true);
}

void StartServices() { StartServicesWith(Advapi32().tokens); }

}  // namespace services
