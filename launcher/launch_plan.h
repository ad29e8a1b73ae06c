// The command lines and working directories that the launcher starts: pure
// text work over directories that were resolved beforehand.
#pragma once

#include <string>

namespace launcher {

// A program path in double quotes when it contains a space: unquoted,
// "C:\Temp Dir\LXV.EXE" would let the starter try "C:\Temp.exe" first.
std::string QuotedProgram(const std::string& program);

// The directory without its trailing '\', as the current directory is set.
std::string WithoutTrailingBackslash(const std::string& directory);

// What the setup launch starts, and from where.
struct SetupPlan {
  bool expandFirst;  // the program and library come compressed
  std::string commandLine;
  std::string workingDirectory;
};

// A plain medium runs its program in place; a compressed one runs the copy
// expanded into the temporary directory. The medium directory is the
// program's argument, in double quotes.
SetupPlan PlanSetup(const std::string& mediumDirectory,
                    const std::string& temporaryDirectory,
                    bool plainProgramExists);

// The installed application, started without arguments.
std::string InstalledProgramCommand(const std::string& installDirectory);

// Whether the directory leaves room, within the platform's 260 characters,
// for the longest name that is looked up in it: "Prelude.Msg" on the
// medium, which setup reads, "Pyrn.DLL" in the temporary directory.
bool LeavesRoomFor(const std::string& directory, const std::string& name);

}  // namespace launcher
