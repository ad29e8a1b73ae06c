// Which entries of a modules-only medium are handed to the installed copy.
#pragma once

#include <string>
#include <vector>

#include "text_compare.h"
#include "windows/files.h"

namespace launcher {

// The selection rules in their order: dot entries, names without "604" or
// "304", and the files that every medium carries for setup are skipped.
bool IsModuleFile(const std::string& name, EqualText equal);

// The hand-off list's lines for the entries of mediumDirectory, in their
// order, then "Setup 2.0"; empty when no entry is a module. An entry goes by
// its long name, or by its 8.3 alias when the long name cannot stand in a
// list line; an entry with no usable name, or named as a device (CON, NUL,
// COM1, ...) is skipped.
std::vector<std::string> HandOffListLines(
    const std::string& mediumDirectory,
    const std::vector<services::DirectoryEntry>& entries, EqualText equal);

}  // namespace launcher
