#include "common/command_tokens.h"

namespace services {

namespace {
bool IsSeparator(char c) { return c == '\n' || c == '\r' || c == ' '; }
}  // namespace

std::string NthToken(const std::string& text, int n) {
  if (n < 1) return std::string();
  const std::string::size_type none = std::string::npos;
  std::string::size_type start = none;
  std::string::size_type i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (IsSeparator(c)) {
      if (start != none) {
        if (--n <= 0) return text.substr(start, i - start);
        start = none;
      }
      ++i;
    } else if (c == '"' && start == none) {
      auto close = text.find('"', i + 1);
      auto k = (close == none ? text.size() : close) - (i + 1);
      if (--n <= 0) return text.substr(i + 1, k);
      i += k + 2;
    } else {
      if (start == none) start = i;
      ++i;
    }
  }
  if (start != none && n == 1) return text.substr(start);
  return std::string();
}

}  // namespace services
