// The first argument of the process's command line.
#pragma once

#include <string>

namespace launcher {

// The second argument that the scan finds (the first is the program's own
// name); empty when there is none. Raises ETooLongError past 256 characters.
std::string FirstArgument(const std::string& commandLine);

}  // namespace launcher
