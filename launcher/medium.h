// What a medium directory holds.
#pragma once

#include <string>

namespace launcher {

// The nested layout keeps the installation files in this subfolder; the
// compressed program there marks it.
constexpr char kNestedFolder[] = "lxv\\win32\\";
constexpr char kNestedMarker[] = "lxv\\win32\\lxv.ex_";

// The medium directory for the program at programPath: its directory, or the
// nested subfolder when that holds the installation files, in short form.
// Raises ETooLongError when the short form does not fit its buffer.
std::string MediumDirectory(const std::string& programPath);

// Whether the directory holds a complete set of installation files.
bool MediumHasInstallFiles(const std::string& directory);

}  // namespace launcher
