// The new files that an expansion writes before they take their names: each
// has a name that nothing had, "~Lxv" and four hexadecimal digits (no longer
// than the names that it becomes, so that no path grows past a limit), so
// that nothing left there before (a cut copy, a folder, a file in use, a
// link to a user's file) is ever written through or stands in the way. A
// launcher that was ended leaves one behind: a later one removes it
// (leftovers.h).
#pragma once

#include <string>

#include "windows/unique_handle.h"

namespace services {

// A new file in directory under the first free name from seed on (64 tries);
// name says which. Invalid when none could be made.
UniqueFile CreatePartial(const std::string& directory, unsigned long seed,
                         std::string& name);

// The whole copy takes the destination's name. On the NT family it replaces
// an earlier copy in one step, or leaves it as it was; the 95 family has no
// such call, and there the earlier copy goes first. A destination that
// cannot go (a folder, a program in use) stays as it is.
bool TakePlace(const std::string& partial, const std::string& destination);

}  // namespace services
