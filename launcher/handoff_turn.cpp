#include "handoff_turn.h"

namespace launcher {

HandOffTurn DecideHandOffTurn(bool listThere, long long listAge,
                              unsigned long waitedMs) {
  // A list dated far ahead of the clock is as stale as one far behind.
  if (!listThere || listAge >= kFreshList || listAge <= -kFreshList)
    return HandOffTurn::kWrite;
  return waitedMs >= kLongestHandOffWaitMs ? HandOffTurn::kGiveUp
                                           : HandOffTurn::kWait;
}

}  // namespace launcher
