// What an installed copy of the main application means for this medium:
// gathers the registration and the medium's facts and decides; then acts.
#pragma once

#include <string>

#include "medium.h"
#include "startup_decision.h"

namespace launcher {

// The registration as far as it could be read, the medium's facts, and what
// they mean.
struct StartupCheck {
  MediumListing medium;
  StartupFacts facts;
  bool registrationUnreadable = false;
  StartupDecision decision;
};

// Reads and decides, showing nothing. Raises EConvertError when a registered
// version does not convert.
StartupCheck GatherStartupCheck(const std::string& mediumDirectory);

// Acts on the check: reports an unreadable registration, then shows the
// advice or hands the modules to the installed copy. True when the setup
// launch goes on; false when the launcher stops.
bool CheckStartup(const std::string& mediumDirectory,
                  const StartupCheck& check);

// True when an automatic start should do nothing because the installed
// program is newer than the medium's. Reads nothing unless firstArgument is
// "autorun" (case ignored).
bool InstalledCopyIsNewer(const std::string& mediumProgramFile,
                          const std::string& firstArgument);

}  // namespace launcher
