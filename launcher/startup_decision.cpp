#include "startup_decision.h"

#include "common/text_pattern.h"
#include "common/texts.h"
#include "version.h"

namespace launcher {

using services::Substitute;
using services::Text;
using services::TextId;

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
            Substitute(Text(TextId::kFilesMissing2), facts.displayName,
                       facts.installDirectory)};
  if (tooOld) return {Outcome::kAdvise, Text(TextId::kTooOldForModules)};
  if (installed) return {Outcome::kHandOff, {}};
  return {Outcome::kAdvise, Text(TextId::kNotProperlyInstalled)};
}

}  // namespace launcher
