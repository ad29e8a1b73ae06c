// The launch: from the program's own location to a started setup program.
#pragma once

#include <string>

namespace launcher {

void RunLauncher(const std::string& programPath,
                 const std::string& firstArgument);

}  // namespace launcher
