// Numbers written as upper-case hexadecimal digits, as "%08X" writes them.
#pragma once

#include <string>

namespace services {

// The value's lowest digits hexadecimal digits into out, without a NUL.
inline void WriteHex(unsigned long long value, int digits, char* out) {
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[i] = "0123456789ABCDEF"[value & 15];
}

inline std::string Hex(unsigned long long value, int digits) {
  std::string text(digits, '0');
  WriteHex(value, digits, &text[0]);
  return text;
}

}  // namespace services
