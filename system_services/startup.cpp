#include "startup.h"

#include "administrator_query.h"
#include "registry.h"
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

void StartServices() {
  systemInformation.isNt = QueryWindowsVersion();
  systemInformation.isAdministrator =
      systemInformation.isNt ? IsAdministrator() : true;
  DeleteRegistryTree(kProductKey, true);
}

}  // namespace services
