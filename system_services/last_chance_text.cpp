#include "last_chance.h"

namespace services {

namespace {
// Eight upper-case hexadecimal digits, as "%p" writes a 32-bit address.
std::string HexAddress(unsigned long address) {
  std::string digits(8, '0');
  for (int i = 7; i >= 0; --i, address >>= 4)
    digits[i] = "0123456789ABCDEF"[address & 0xF];
  return digits;
}
}  // namespace

std::string LastChanceText(const Exception& error,
                           const std::string& modulePath,
                           unsigned long codeOffset) {
  std::string module = modulePath.substr(modulePath.rfind('\\') + 1, 63);
  const std::string& message = error.Message();
  bool addStop = !message.empty() && message.back() != '.';
  std::string text = std::string("Exception ") + error.TypeName() +
                     " in module " + module + " at " + HexAddress(codeOffset) +
                     ".\n" + message + (addStop ? "." : "");
  // The text is built in a 256-character buffer.
  if (text.size() > 255) text.resize(255);
  return text;
}

}  // namespace services
