// Splitting command-like texts, such as an uninstaller's command line.
#pragma once

#include <string>

namespace services {

// The n-th token (from 1) of a command-line-like text: separated by LF, CR and
// space, a token opening with '"' runs to the next '"'.
std::string NthToken(const std::string& text, int n);

}  // namespace services
