#include "launch_locks.h"

#include "system_services/directory_identity.h"
#include "system_services/errors.h"
#include "system_services/foreground.h"
#include "system_services/text_pattern.h"
#include "system_services/text_tokens.h"
#include "system_services/texts.h"

namespace launcher {

using namespace services;

namespace {
// Longer than any expansion of the medium's two files from a slow drive.
constexpr unsigned long kLongestWaitMs = 60 * 1000;
}  // namespace

std::optional<NamedLock> ClaimMedium(const std::string& mediumDirectory) {
  // Where the system cannot tell the medium's identity (the 95 family), its
  // path with case ignored stands for it: two spellings of one medium may
  // then both start setup, but no medium ever gives way to another.
  std::string identity = DirectoryIdentity(mediumDirectory);
  std::string key =
      "medium " + (identity.empty() ? LowerCased(mediumDirectory) : identity);
  std::optional<NamedLock> claim = NamedLock::Try(key);
  if (claim) return claim;
  unsigned long holder = NamedLock::Holder(key);
  switch (BringWindowForward(holder)) {
    case BroughtForward::kBrought:
      return std::nullopt;
    case BroughtForward::kRefused:
      Raise(EBusyError(Text(TextId::kMediumBoxHidden)));
    case BroughtForward::kNoWindow:
      // The other launcher is at work: expanding, starting setup.
      if (holder) return std::nullopt;
  }
  Raise(EBusyError(Substitute(Text(TextId::kMediumInUse), mediumDirectory)));
}

NamedLock LockTemporaryDirectory(const std::string& temporaryDirectory) {
  // Where the system cannot tell the directory's identity, one lock serves
  // every temporary directory: launchers of other media then take turns
  // even where they need not.
  std::optional<NamedLock> lock = NamedLock::Wait(
      "temporary " + DirectoryIdentity(temporaryDirectory), kLongestWaitMs);
  if (!lock)
    Raise(
        EBusyError(Substitute(Text(TextId::kFolderInUse), temporaryDirectory)));
  return std::move(*lock);
}

}  // namespace launcher
