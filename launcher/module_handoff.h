// Handing a modules-only medium to the installed application.
#pragma once

#include <string>

namespace launcher {

// Whether a medium entry is a content module to hand over.
bool IsModuleFile(const std::string& name);

// The command that starts the installed application.
std::string InstalledProgramCommand(const std::string& installDirectory);

// Writes "AutoLoad.Lst" naming the medium's modules where the installed
// application reads it, then starts the installed application.
void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory);

}  // namespace launcher
