// What a registered installed copy means for the medium in hand: the pure
// decision of the installed-program check, over facts gathered beforehand.
#pragma once

#include <string>

namespace launcher {

struct StartupFacts {
  std::string displayName;       // empty when no copy is registered
  std::string installDirectory;  // empty when the registration gives none
  bool filesPresent = false;     // the medium has its installation files
  bool installedProgramExists = false;  // install directory + "Lxv.Exe"
};

struct StartupDecision {
  enum class Outcome { kLaunch, kAdvise, kHandOff };
  Outcome outcome;
  std::string advice;  // the advice text (without the download suffix)
};

// Raises EConvertError when a registered version does not convert, also for
// a complete medium.
StartupDecision DecideStartup(const StartupFacts& facts);

}  // namespace launcher
