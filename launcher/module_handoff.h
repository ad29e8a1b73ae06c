// Handing a modules-only medium to the installed application.
#pragma once

#include <string>
#include <vector>

#include "windows/files.h"

namespace launcher {

// Writes "AutoLoad.Lst" naming the medium's modules where the installed
// application reads it, then starts the installed application. A list that
// another launcher has just written is first left to the application to
// take (it deletes it then); when it does not within the wait, raises
// EBusyError, and neither list is lost.
void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory,
                    const std::vector<services::DirectoryEntry>& entries);

}  // namespace launcher
