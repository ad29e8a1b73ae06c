// The ways the program opens files, each written once.
#pragma once

#include <string>

#include "windows/unique_handle.h"

namespace services {

// An existing file, for reading; others may read it meanwhile, but not change
// it.
UniqueFile OpenForReading(const std::string& name);

// A file for reading and writing, shared with no one: made anew, replacing
// a file of that name, or, with mustBeNew, only where no entry of that name
// is (never through a link or an open file that is already there).
UniqueFile CreateForWriting(const std::string& name, bool mustBeNew = false);

}  // namespace services
