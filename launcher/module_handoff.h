// Handing a modules-only medium to the installed application.
#pragma once

#include <string>

namespace launcher {

// Writes "AutoLoad.Lst" naming the medium's modules where the installed
// application reads it, then starts the installed application.
void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory);

}  // namespace launcher
