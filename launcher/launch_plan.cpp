#include "launch_plan.h"

#include "common/path_limit.h"
#include "common/text_pattern.h"

namespace launcher {

std::string QuotedProgram(const std::string& program) {
  if (program.find(' ') == std::string::npos) return program;
  return services::Substitute("\"%s\"", program);
}

std::string WithoutTrailingBackslash(const std::string& directory) {
  return directory.empty() ? directory
                           : directory.substr(0, directory.size() - 1);
}

SetupPlan PlanSetup(const std::string& mediumDirectory,
                    const std::string& temporaryDirectory,
                    bool plainProgramExists) {
  const std::string& from =
      plainProgramExists ? mediumDirectory : temporaryDirectory;
  return {!plainProgramExists,
          QuotedProgram(from + "LXV.EXE") + " \"" + mediumDirectory + '"',
          WithoutTrailingBackslash(from)};
}

std::string InstalledProgramCommand(const std::string& installDirectory) {
  return QuotedProgram(installDirectory + "Lxv.Exe");
}

bool LeavesRoomFor(const std::string& directory, const std::string& name) {
  return services::PathFits(directory.size() + name.size());
}

}  // namespace launcher
