// What launchers that were ended while they expanded left in the temporary
// directory: their partial files (see partial_files.h), each as large as
// the program, which would otherwise stay there for good.
#pragma once

#include <string>

namespace services {

// Removes them: regular files only, never a folder, nor through a link or
// junction. Only while the directory's lock is held, so that none is the
// file of another launcher at work.
void RemoveLeftoverPartials(const std::string& directory);

}  // namespace services
