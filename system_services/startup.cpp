#include "startup.h"

#include "administrator_query.h"
#include "registry.h"
#include "startup_with_tokens.h"
#include "uninstall_registration.h"
#include "windows_version.h"

namespace services {

namespace {
// What the services know of the system for the program's lifetime.
struct SystemInformation {
  bool isNt = false;
  bool isAdministrator = true;
};
SystemInformation systemInformation;
}  // namespace

void StartServicesWith(const TokenFunctions& tokenFunctions) {
  systemInformation.isNt = QueryWindowsVersion();
  systemInformation.isAdministrator =
      systemInformation.isNt ? IsAdministratorWith(tokenFunctions) : true;
  DeleteRegistryTree(kProductKey, true);
}

void StartServices() { StartServicesWith(ResolveTokenFunctions()); }

}  // namespace services
