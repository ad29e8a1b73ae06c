#include "startup_decision.h"

#include "system_services/text_pattern.h"
#include "version.h"

namespace launcher {

StartupDecision DecideStartup(const StartupFacts& facts, FileExists exists) {
  using Outcome = StartupDecision::Outcome;
  bool registered = !facts.displayName.empty();
  bool tooOld =
      registered && IsTooOldForModules(ParseVersionNumber(facts.displayName));
  // An empty install directory holds no program: "Lxv.Exe" alone would be
  // looked for in whatever directory happens to be current.
  bool installed = registered && !tooOld && !facts.installDirectory.empty() &&
                   exists(facts.installDirectory + "Lxv.Exe");
  if (facts.filesPresent) return {Outcome::kLaunch, {}};
  if (!registered)
    // The second bracket stays open: the download advice follows at once.
    return {Outcome::kAdvise,
            services::Substitute("Program install files missing (2) <%s> <%s",
                                 facts.displayName, facts.installDirectory)};
  if (tooOld)
    return {Outcome::kAdvise,
            "Current Lexivane Program too old to install modules"};
  if (installed) return {Outcome::kHandOff, {}};
  return {Outcome::kAdvise, "Program not properly installed"};
}

}  // namespace launcher
