// Expansion of files compressed by the platform's compression tool (SZDD),
// through the platform's LZ library; other files are copied unchanged.
#pragma once

#include <string>

namespace services {

// Empty when the file was expanded; else the text of the "CopyFile" box that
// says what failed, for the caller to show once it holds nothing that others
// wait for. The destination then stays as it was, and nothing of the failed
// copy is left.
[[nodiscard]] std::string ExpandFile(const std::string& source,
                                     const std::string& destination);

}  // namespace services
