#include "first_argument.h"

#include "common/errors.h"
#include "common/texts.h"

namespace launcher {

namespace {
constexpr std::string::size_type kMaxArgument = 256;

unsigned char At(const std::string& text, std::string::size_type i) {
  return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

// Scans one argument from position i; answers it and moves i past it.
std::string NextArgument(const std::string& text, std::string::size_type& i) {
  for (;;) {
    unsigned char c = At(text, i);
    if (c >= 1 && c <= 32)
      ++i;
    else if (c == '"' && At(text, i + 1) == '"')
      i += 2;
    else
      break;
  }
  std::string argument;
  while (At(text, i) > 32) {
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && text[i] != '"') argument += text[i++];
      if (i < text.size()) ++i;
    } else {
      argument += text[i++];
    }
  }
  return argument;
}
}  // namespace

std::string FirstArgument(const std::string& commandLine) {
  std::string::size_type i = 0;
  NextArgument(commandLine, i);
  std::string argument = NextArgument(commandLine, i);
  if (argument.size() > kMaxArgument)
    services::Refuse<services::ETooLongError>(
        services::TextId::kArgumentTooLong);
  return argument;
}

}  // namespace launcher
