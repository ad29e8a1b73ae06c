#include "windows/text_tokens.h"

#include <windows.h>

namespace services {

std::string LowerCased(std::string text) {
  if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

int PosNoCase(const std::string& part, const std::string& text) {
  if (part.empty()) return 0;
  auto found = LowerCased(text).find(LowerCased(part));
  return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

}  // namespace services
