// What an installed copy of the main application means for this medium.
#pragma once

#include <string>

namespace launcher {

// The version carried by the digits of a display name, padded to at least
// seven digits. Raises EConvertError when it exceeds a signed 32-bit integer.
int ParseVersionNumber(const std::string& text);

// True when the setup launch goes on; false when the launcher stops.
bool CheckStartup(const std::string& mediumDirectory);

// True when an automatic start should do nothing because the installed
// program is newer than the medium's.
bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument);

}  // namespace launcher
