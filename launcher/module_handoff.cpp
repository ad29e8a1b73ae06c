#include "module_handoff.h"

#include <vector>

#include "common/texts.h"
#include "handoff_turn.h"
#include "launch_locks.h"
#include "launch_plan.h"
#include "launcher_services/advice.h"
#include "launcher_services/uninstall_registration.h"
#include "launcher_services/writability.h"
#include "module_selection.h"
#include "windows/files.h"
#include "windows/paths.h"
#include "windows/process.h"

namespace launcher {

using namespace services;

namespace {
// How often a launcher looks whether the application has taken its list.
constexpr unsigned long kLookMs = 250;

// Where the list goes: the data directory when it takes files, else the
// install directory.
std::string HandOffListDirectory(const std::string& installDirectory) {
  std::string target = DataDirectory();
  if (target.empty() || !DirectoryIsWritable(target)) return installDirectory;
  // A data directory may be registered without its trailing '\'; the list
  // goes inside it all the same.
  return WithTrailingBackslash(target);
}

// Waits its turn, then writes the list: true when it was this launcher's
// turn, with written saying what became of the list.
bool WriteInTurn(const std::string& directory,
                 const std::vector<std::string>& lines, Fault& written) {
  std::string listFile = directory + "AutoLoad.Lst";
  NamedLock turn = LockHandOffDirectory(directory);
  for (unsigned long waited = 0;; waited += kLookMs) {
    std::optional<long long> age = FileAge(listFile);
    HandOffTurn next =
        DecideHandOffTurn(age.has_value(), age.value_or(0), waited);
    if (next == HandOffTurn::kGiveUp) return false;
    if (next == HandOffTurn::kWrite) break;
    Pause(kLookMs);
  }
  // A stale list goes even when read-only: kept, it would be read again.
  DeleteFileForced(listFile);
  // A list that cannot be created or written in full is not handed over.
  if (!lines.empty()) written = SaveListToFile(lines, listFile);
  return true;
}
}  // namespace

void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory,
                    const std::vector<services::DirectoryEntry>& entries) {
  std::vector<std::string> lines =
      HandOffListLines(mediumDirectory, entries, EqualNoCase);
  Fault written;
  // The application has not taken another medium's modules: this medium's
  // would take their place. Nothing is lost, and the user is told.
  if (!WriteInTurn(HandOffListDirectory(installDirectory), lines, written))
    Refuse<EBusyError>(TextId::kModulesNotHandedOver);
  if (written) ShowAdvice(Text(TextId::kAutoInstallFailed));
  RaiseFault(MakeDirectoryCurrent(installDirectory));
  RunProgram(InstalledProgramCommand(installDirectory), kShowNormal);
}

}  // namespace launcher
