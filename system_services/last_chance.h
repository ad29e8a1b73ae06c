// The last-chance handler: the box for an error that nothing caught, then the
// end of the process with exit code 1.
#pragma once

#include <string>

#include "errors.h"

namespace services {

// The box text for an error raised in the program at modulePath, cut to the
// 255 characters that its buffer holds.
std::string LastChanceText(const Exception& error,
                           const std::string& modulePath);

[[noreturn]] void LastChance(const Exception& error);

}  // namespace services
