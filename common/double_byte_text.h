// Stepping through texts in the system code page by whole characters. The
// double-byte code pages (932, 936, 949, 950) may have any byte from 0x40 on
// as a character's second byte, the backslash among them: a byte that looks
// like a '\' or a '.' may be half of a letter.
#pragma once

#include <cstddef>

namespace services {

// Whether a byte opens a double-byte character of the code page.
using IsLeadByte = bool (*)(unsigned char byte);

// Where the character that starts at i ends. A lead byte with nothing after
// it counts as a character of its own.
inline std::size_t CharacterEnd(const char* text, std::size_t size,
                                std::size_t i, IsLeadByte isLeadByte) {
  bool doubleByte =
      isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < size;
  return i + (doubleByte ? 2 : 1);
}

}  // namespace services
