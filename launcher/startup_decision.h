// What a registered installed copy means for the medium in hand: the pure
// decision of the installed-program check, over facts gathered beforehand.
#pragma once

#include <string>

namespace launcher {

struct StartupFacts {
  std::string displayName;       // empty when no copy is registered
  std::string installDirectory;  // empty when the registration gives none
  bool filesPresent = false;     // the medium has its installation files
};

// Whether a file exists; the decision asks it about the installed program.
using FileExists = bool (*)(const std::string& name);

struct StartupDecision {
  enum class Outcome { kLaunch, kAdvise, kHandOff };
  Outcome outcome;
  std::string advice;  // the advice text (without the download suffix)
};

// Raises EConvertError when a registered version does not convert, also for
// a complete medium. Looks for install directory + "Lxv.Exe" only when the
// version lies outside the too-old window.
StartupDecision DecideStartup(const StartupFacts& facts, FileExists exists);

}  // namespace launcher
