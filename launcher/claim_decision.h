// What a launcher does when another one has claimed its medium: a decision
// over what it saw at one look, made again at every look until it is not
// "look again".
#pragma once

#include "common/text_id.h"
#include "windows/foreground.h"

namespace launcher {

struct ClaimLook {
  bool taken = false;        // this look took the claim
  bool first = false;        // the first look, before any waiting
  bool abandoned = false;    // the one who held it ended without giving it back
  unsigned long holder = 0;  // the launcher that holds it; 0 when no launcher
  // What became of the holder's box.
  services::BroughtForward shown = services::BroughtForward::kNoWindow;
  bool timeUp = false;  // the longest wait is over
};

struct ClaimAnswer {
  enum class Step { kAct, kStepAside, kLookAgain, kRefuse } step;
  services::TextId refusal;  // with kRefuse: what the box says
};

// The first look acts for the medium; a later one that takes the claim
// stands aside (the holder has done what the user asked twice), unless the
// holder was ended halfway. Never silent otherwise: the holder's box comes
// to the front, or a box says why nothing starts.
ClaimAnswer DecideClaim(const ClaimLook& look);

}  // namespace launcher
