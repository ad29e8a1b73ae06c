// What launchers running at the same time must not do at once, each keyed
// on what a directory is, not on how its path is spelled.
#pragma once

#include <optional>
#include <string>

#include "windows/named_lock.h"

namespace launcher {

// The claim of a launcher that is about to act for its medium, held for the
// rest of its run. Another launcher of the same medium holds it already
// (autorun and a double-click at once, two drive letters of one folder): this
// one waits for it, a minute at most, and answers empty once the other has
// done its work, or has shown its box, which comes to the front (where the
// system does not allow that, a box of this launcher's says so). A holder
// that is no launcher, or one that shows nothing for a minute, gets a box
// (EBusyError): a start is never silent. The claim of a launcher that was
// ended halfway is taken over. Only launchers that do the same job claim the
// medium: one that stops without a word claims nothing.
std::optional<services::NamedLock> ClaimMedium(
    const std::string& mediumDirectory);
// The claim's key: what the medium is, whatever its path's spelling.
std::string MediumClaimKey(const std::string& mediumDirectory);

// The temporary directory, which launchers of other media expand into as
// well: held from the expansion to the start of setup, so that each starts
// what it expanded. Waits for another holder a minute at most, then raises
// EBusyError.
services::NamedLock LockTemporaryDirectory(
    const std::string& temporaryDirectory);

// The directory that hand-off lists are written to, which launchers of other
// media write to as well: held from looking at the list there to writing
// this launcher's own, so that no two write at once. Waits a minute at most,
// then raises EBusyError.
services::NamedLock LockHandOffDirectory(const std::string& listDirectory);

}  // namespace launcher
