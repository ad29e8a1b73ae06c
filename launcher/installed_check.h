// What an installed copy of the main application means for this medium.
#pragma once

#include <string>

namespace launcher {

// True when the setup launch goes on; false when the launcher stops.
bool CheckStartup(const std::string& mediumDirectory);

// True when an automatic start should do nothing because the installed
// program is newer than the medium's.
bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument);

}  // namespace launcher
