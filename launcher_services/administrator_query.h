// Whether the user belongs to the built-in Administrators group (NT family
// only). The token functions are passed in, so that tests can make each step
// fail; the program takes the system's own, resolved at run time.
#pragma once

#include "windows/system_functions.h"

namespace services {

// Whether the user's token lists the Administrators group. Raises
// SystemError "Winsys: Administrator-1/-2/-3" when the query fails.
bool IsAdministrator();
bool IsAdministratorWith(const TokenFunctions& api);

}  // namespace services
