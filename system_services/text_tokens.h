// Searching and splitting command-like texts.
#pragma once

#include <string>

namespace services {

// 1-based position of part in text, case ignored by the system's locale
// mapping; 0 when absent or when part is empty.
int PosNoCase(const std::string& part, const std::string& text);
// The n-th token (from 1) of a command-line-like text: separated by LF, CR and
// space, a token opening with '"' runs to the next '"'.
std::string NthToken(const std::string& text, int n);

}  // namespace services
