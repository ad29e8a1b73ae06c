// Expansion of files compressed by the platform's compression tool (SZDD),
// through the platform's LZ library; other files are copied unchanged.
#pragma once

#include <string>

namespace services {

// Shows a "CopyFile" box and answers false when the source or destination
// cannot be opened or the copy fails; the destination then stays as it was,
// and nothing of the failed copy is left.
bool ExpandFile(const std::string& source, const std::string& destination);

}  // namespace services
