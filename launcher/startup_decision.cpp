#include "startup_decision.h"

#include "version.h"

namespace launcher {

StartupDecision DecideStartup(const StartupFacts& facts) {
  using Outcome = StartupDecision::Outcome;
  bool registered = !facts.displayName.empty();
  bool tooOld =
      registered && IsTooOldForModules(ParseVersionNumber(facts.displayName));
  if (facts.filesPresent) return {Outcome::kLaunch, {}};
  if (!registered)
    // The second bracket stays open: the download advice follows at once.
    return {Outcome::kAdvise, "Program install files missing (2) <" +
                                  facts.displayName + "> <" +
                                  facts.installDirectory};
  if (tooOld)
    return {Outcome::kAdvise,
            "Current Lexivane Program too old to install modules"};
  // An empty install directory holds no program: "Lxv.Exe" alone would be
  // looked for in whatever directory happens to be current.
  if (facts.installedProgramExists && !facts.installDirectory.empty())
    return {Outcome::kHandOff, {}};
  return {Outcome::kAdvise, "Program not properly installed"};
}

}  // namespace launcher
