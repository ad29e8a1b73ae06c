#include "module_handoff.h"

#include <vector>

#include "system_services/files.h"
#include "system_services/messages.h"
#include "system_services/paths.h"
#include "system_services/process.h"
#include "system_services/registry.h"
#include "system_services/writability.h"

namespace launcher {

using namespace services;

namespace {
bool NameIs(const std::string& name, const char* other) {
  return CompareNoCase(name, other) == 0;
}

bool StartsWith(const std::string& name, const std::string& prefix) {
  return NameIs(name.substr(0, prefix.size()), prefix.c_str());
}

// The data directory when it takes files, else the install directory.
std::string ListDirectory(const std::string& installDirectory) {
  std::string target = DataDirectory();
  if (target.empty() || !DirectoryIsWritable(target)) return installDirectory;
  return target;
}
}  // namespace

bool IsModuleFile(const std::string& name) {
  if (!name.empty() && name[0] == '.') return false;
  if (name.find("604") == std::string::npos &&
      name.find("304") == std::string::npos)
    return false;
  // Files that every medium carries for the setup itself.
  return !NameIs(name, "prelude.604") && !StartsWith(name, "shared") &&
         !NameIs(name, "earlyen.604") && !StartsWith(name, "dial");
}

std::string InstalledProgramCommand(const std::string& installDirectory) {
  std::string program = installDirectory + "Lxv.Exe";
  // Unquoted, "C:\Program Files\..." would let the starter try C:\Program.exe.
  if (program.find(' ') != std::string::npos) program = '"' + program + '"';
  return program;
}

void HandOffModules(const std::string& mediumDirectory,
                    const std::string& installDirectory) {
  std::string target = ListDirectory(installDirectory);
  std::vector<std::string> lines;
  for (const std::string& name : EnumerateDirectory(mediumDirectory + "*.*"))
    if (IsModuleFile(name)) lines.push_back(mediumDirectory + name);

  std::string listFile = target + "AutoLoad.Lst";
  DeleteFilePlain(listFile);
  if (!lines.empty()) {
    lines.push_back("Setup 2.0");
    try {
      SaveListToFile(lines, listFile);
    } catch (...) {
      ShowAdvice("Unable to Auto Install modules");
    }
  }
  MakeDirectoryCurrent(installDirectory);
  RunProgram(InstalledProgramCommand(installDirectory), kShowNormal);
}

}  // namespace launcher
