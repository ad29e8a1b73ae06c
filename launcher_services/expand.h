// Expansion of files compressed by the platform's compression tool (SZDD),
// through the platform's LZ library; other files are copied unchanged.
#pragma once

#include <string>

namespace services {

// What a failed expansion says: the text of its "CopyFile" box, or, where
// the destination is a program that runs (a setup started before from
// there, which cannot be replaced), the text of a refusal.
struct ExpandFailure {
  std::string text;  // empty when the file was expanded
  bool setupRunning = false;
};

// Expands source into destination, and answers what failed, for the caller
// to show once it holds nothing that others wait for. The destination then
// stays as it was, and nothing of the failed copy is left.
[[nodiscard]] ExpandFailure ExpandFile(const std::string& source,
                                       const std::string& destination);

}  // namespace services
