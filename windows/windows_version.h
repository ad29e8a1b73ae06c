// Which family of Windows runs the program.
#pragma once

#include <windows.h>

namespace services {

// True on the NT family; a failed query is reported and counts as not NT.
bool QueryWindowsVersion();
// The same, asked once: the first call queries, later ones answer from it.
bool IsNtFamily();
// Whether objects carry integrity labels (NT 6, Vista, on).
bool HasIntegrityLevels();
// The same through the query function given (tests pass one that fails).
bool QueryWindowsVersionWith(BOOL(WINAPI* getVersion)(LPOSVERSIONINFOA));

}  // namespace services
