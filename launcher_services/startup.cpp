#include "launcher_services/startup.h"

#include "launcher_services/administrator_query.h"
#include "launcher_services/startup_with_tokens.h"
#include "launcher_services/uninstall_registration.h"
#include "windows/registry.h"
#include "windows/windows_version.h"

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
