#include "module_handoff.h"

#include <vector>

#include "launch_plan.h"
#include "module_selection.h"
#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/paths.h"
#include "system_services/process.h"
#include "system_services/texts.h"
#include "system_services/uninstall_registration.h"
#include "system_services/writability.h"

namespace launcher {

using namespace services;

namespace {
// Where the list goes: the data directory when it takes files, else the
// install directory.
std::string HandOffListDirectory(const std::string& installDirectory) {
  std::string target = DataDirectory();
  if (target.empty() || !DirectoryIsWritable(target)) return installDirectory;
  // A data directory may be registered without its trailing '\'; the list
  // goes inside it all the same.
  return WithTrailingBackslash(target);
}
}  // namespace

void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory) {
  std::string listFile =
      HandOffListDirectory(installDirectory) + "AutoLoad.Lst";
  std::vector<std::string> lines = HandOffListLines(
      mediumDirectory, EnumerateDirectory(mediumDirectory + "*.*"),
      CompareNoCase);

  // An old list goes even when read-only: kept, it would be read again.
  DeleteFileForced(listFile);
  // A list that cannot be created or written in full is not handed over.
  if (!lines.empty())
    if (Fault failure = SaveListToFile(lines, listFile))
      ShowAdvice(Text(TextId::kAutoInstallFailed));
  RaiseFault(MakeDirectoryCurrent(installDirectory));
  RunProgram(InstalledProgramCommand(installDirectory), kShowNormal);
}

}  // namespace launcher
