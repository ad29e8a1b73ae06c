// What an installed copy of the main application means for this medium:
// gathers the registration and the medium's facts, decides, and acts.
#pragma once

#include <string>

namespace launcher {

// True when the setup launch goes on; false when the launcher stops (after
// an advice box, or after handing the modules to the installed copy).
bool CheckStartup(const std::string& mediumDirectory);

// True when an automatic start should do nothing because the installed
// program is newer than the medium's. Reads nothing unless firstArgument is
// "autorun" (case ignored).
bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument);

}  // namespace launcher
