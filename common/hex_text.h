// Numbers written as upper-case hexadecimal digits, as "%08X" writes them.
#pragma once

#include <string>

namespace services {

// Writes the lowest `digits` hexadecimal digits of value into out, with no
// closing NUL: the caller's buffer already has its own.
inline void WriteHex(unsigned long long value, int digits, char* out) {
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[i] = "0123456789ABCDEF"[value & 15];
}

// The number that the hexadecimal digits at the text's start write (case
// ignored); what follows them is not read.
inline unsigned long HexValue(const char* text) {
  unsigned long value = 0;
  for (;; ++text) {
    char c = static_cast<char>(*text | 0x20);
    if (c >= '0' && c <= '9')
      value = value << 4 | (c - '0');
    else if (c >= 'a' && c <= 'f')
      value = value << 4 | (c - 'a' + 10);
    else
      return value;
  }
}

inline std::string Hex(unsigned long long value, int digits) {
  std::string text(digits, '0');
  WriteHex(value, digits, &text[0]);
  return text;
}

}  // namespace services
