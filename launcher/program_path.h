// The program's own path, in the form that the launcher can hand on.
#pragma once

#include <string>

namespace launcher {

// The path without the prefix of the system's long or device paths, which a
// program may have started the launcher through: "\\?\D:\LAUNCH.EXE" is
// "D:\LAUNCH.EXE", "\\?\UNC\server\share\LAUNCH.EXE" is
// "\\server\share\LAUNCH.EXE". Setup and the installed application are
// given the medium in its plain form. Raises EUnusablePathError for other
// prefixed forms (a volume without a drive letter), which nothing started
// from here could use.
std::string WithoutLongPathPrefix(const std::string& programPath);

}  // namespace launcher
