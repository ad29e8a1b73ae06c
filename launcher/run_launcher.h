// The launch: from the program's own location to a started setup program.
#pragma once

#include <string>

namespace launcher {

void RunLauncher(const std::string& programPath,
                 const std::string& firstArgument);

// The setup command: the program in programDirectory, then the medium
// directory in double quotes.
std::string SetupCommandLine(const std::string& programDirectory,
                             const std::string& mediumDirectory);

}  // namespace launcher
