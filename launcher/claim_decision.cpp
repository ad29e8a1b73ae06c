#include "claim_decision.h"

namespace launcher {

using services::BroughtForward;
using services::TextId;
using Step = ClaimAnswer::Step;

ClaimAnswer DecideClaim(const ClaimLook& look) {
  if (look.taken)
    return {look.first || look.abandoned ? Step::kAct : Step::kStepAside, {}};
  if (look.shown == BroughtForward::kBrought) return {Step::kStepAside, {}};
  if (look.shown == BroughtForward::kRefused)
    return {Step::kRefuse, TextId::kMediumBoxHidden};
  // A program that is no launcher gives no claim back.
  if (!look.holder) return {Step::kRefuse, TextId::kMediumInUse};
  // A launcher at work (expanding from a slow drive) shows nothing for a
  // while; one that is stuck (on a scratched disc) never will.
  if (look.timeUp) return {Step::kRefuse, TextId::kMediumStillStarting};
  return {Step::kLookAgain, {}};
}

}  // namespace launcher
