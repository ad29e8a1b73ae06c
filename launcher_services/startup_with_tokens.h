// The start-up with the token functions given, so that tests can make the
// administrator query fail.
#pragma once

#include "launcher_services/administrator_query.h"

namespace services {

void StartServicesWith(const TokenFunctions& tokenFunctions);

}  // namespace services
