// Whose turn it is to hand modules over: a list that another launcher has
// just written waits for the installed application, which deletes it once it
// has taken its modules, before this launcher writes its own.
#pragma once

namespace launcher {

enum class HandOffTurn { kWrite, kWait, kGiveUp };

// File times count in 100 nanoseconds.
constexpr long long kFileTimeSecond = 10000000;
// A list younger than this was just handed over; an older one is stale (an
// application that never took it), and makes way.
constexpr long long kFreshList = 60 * kFileTimeSecond;
// How long a launcher waits for the application to take a fresh list.
constexpr unsigned long kLongestHandOffWaitMs = 30 * 1000;

// listAge: how long ago the list there was written (negative when it is
// dated ahead of the clock); waitedMs: how long this launcher has waited.
HandOffTurn DecideHandOffTurn(bool listThere, long long listAge,
                              unsigned long waitedMs);

}  // namespace launcher
