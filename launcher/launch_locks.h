// What launchers running at the same time must not do at once, each keyed
// on what a directory is, not on how its path is spelled.
#pragma once

#include <optional>
#include <string>

#include "system_services/named_lock.h"

namespace launcher {

// The claim of a launcher that is about to act for its medium, held for the
// rest of its run. Another launcher of the same medium holds it already
// (autorun and a double-click at once, two drive letters of one folder): this
// one steps aside and answers empty. Stepping aside is never silent while the
// other launcher's box waits: that box comes to the front, or, where the
// system does not allow it, a box of this launcher's says so. Only launchers
// that do the same job claim the medium: one that stops without a word
// claims nothing.
std::optional<services::NamedLock> ClaimMedium(
    const std::string& mediumDirectory);

// The temporary directory, which launchers of other media expand into as
// well: held from the expansion to the start of setup, so that each starts
// what it expanded. Waits for another holder a minute at most, then raises
// EBusyError.
services::NamedLock LockTemporaryDirectory(
    const std::string& temporaryDirectory);

}  // namespace launcher
