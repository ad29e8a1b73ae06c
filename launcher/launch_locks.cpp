#include "launch_locks.h"

#include "claim_decision.h"
#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"
#include "windows/directory_identity.h"
#include "windows/foreground.h"
#include "windows/text_tokens.h"

namespace launcher {

using namespace services;

namespace {
// Longer than any expansion of the medium's two files from a slow drive.
constexpr unsigned long kLongestWaitMs = 60 * 1000;
// How often a launcher looks again at the one that claimed its medium.
constexpr unsigned long kLookMs = 250;
}  // namespace

std::string MediumClaimKey(const std::string& mediumDirectory) {
  // Where the system cannot tell the medium's identity (the 95 family), its
  // path with case ignored stands for it: two spellings of one medium may
  // then both start setup, but no medium ever gives way to another.
  std::string identity = DirectoryIdentity(mediumDirectory);
  return "medium " +
         (identity.empty() ? LowerCased(mediumDirectory) : identity);
}

std::optional<NamedLock> ClaimMedium(const std::string& mediumDirectory) {
  std::string key = MediumClaimKey(mediumDirectory);
  for (unsigned long looks = 0;; ++looks) {
    std::optional<NamedLock> claim = NamedLock::Wait(key, looks ? kLookMs : 0);
    ClaimLook look;
    look.taken = claim.has_value();
    look.first = looks == 0;
    look.abandoned = claim && claim->Abandoned();
    if (!claim) {
      look.holder = NamedLock::Holder(key);
      look.shown = BringWindowForward(look.holder);
    }
    look.timeUp = looks * kLookMs >= kLongestWaitMs;
    ClaimAnswer answer = DecideClaim(look);
    if (answer.step == ClaimAnswer::Step::kAct) return claim;
    if (answer.step == ClaimAnswer::Step::kStepAside) return std::nullopt;
    if (answer.step == ClaimAnswer::Step::kRefuse)
      Refuse<EBusyError>(answer.refusal, mediumDirectory);
  }
}

namespace {
NamedLock LockDirectory(const std::string& key, const std::string& directory) {
  std::optional<NamedLock> lock = NamedLock::Wait(key, kLongestWaitMs);
  if (!lock) Refuse<EBusyError>(TextId::kFolderInUse, directory);
  return std::move(*lock);
}
}  // namespace

NamedLock LockTemporaryDirectory(const std::string& temporaryDirectory) {
  // Where the system cannot tell the directory's identity, one lock serves
  // every temporary directory: launchers of other media then take turns
  // even where they need not.
  return LockDirectory("temporary " + DirectoryIdentity(temporaryDirectory),
                       temporaryDirectory);
}

NamedLock LockHandOffDirectory(const std::string& listDirectory) {
  return LockDirectory("hand-off " + DirectoryIdentity(listDirectory),
                       listDirectory);
}

}  // namespace launcher
