// Tokens of an uninstaller's command line: each is a piece of the text, and
// none holds a separator unless it came in quotes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/command_tokens.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (int n = -1; n <= 6; ++n) {
    std::string token = services::NthToken(text, n);
    if (n < 1 && !token.empty()) __builtin_trap();
    if (text.find(token) == std::string::npos) __builtin_trap();
    bool quoted = text.find('"' + token) != std::string::npos;
    if (!quoted && token.find_first_of(" \r\n") != std::string::npos)
      __builtin_trap();
  }
  return 0;
}
