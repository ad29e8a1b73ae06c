// Searching texts without regard to case, as the system's locale does.
#pragma once

#include <string>

namespace services {

// The text lower-cased by the system's locale mapping.
std::string LowerCased(std::string text);

// 1-based position of part in text, case ignored by the system's locale
// mapping; 0 when absent or when part is empty.
int PosNoCase(const std::string& part, const std::string& text);
}  // namespace services
