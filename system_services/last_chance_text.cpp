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

// Where the character that starts at i ends.
std::string::size_type CharacterEnd(const std::string& text,
                                    std::string::size_type i,
                                    IsLeadByte isLeadByte) {
  bool doubleByte =
      isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
  return i + (doubleByte ? 2 : 1);
}

// The whole characters of text that fit in size bytes.
std::string CutToFit(const std::string& text, std::string::size_type size,
                     IsLeadByte isLeadByte) {
  std::string::size_type end = 0;
  while (end < text.size()) {
    std::string::size_type next = CharacterEnd(text, end, isLeadByte);
    if (next > size) break;
    end = next;
  }
  return text.substr(0, end);
}

// The part after the last backslash that is a character of its own (a
// double-byte character's second byte may be 0x5C).
std::string FileNameOf(const std::string& path, IsLeadByte isLeadByte) {
  std::string::size_type start = 0;
  for (std::string::size_type i = 0; i < path.size();) {
    std::string::size_type next = CharacterEnd(path, i, isLeadByte);
    if (next == i + 1 && path[i] == '\\') start = next;
    i = next;
  }
  return path.substr(start);
}
}  // namespace

std::string LastChanceText(const Exception& error,
                           const std::string& modulePath,
                           unsigned long codeOffset, IsLeadByte isLeadByte) {
  std::string module =
      CutToFit(FileNameOf(modulePath, isLeadByte), 63, isLeadByte);
  const std::string& message = error.Message();
  bool addStop = !message.empty() && message.back() != '.';
  std::string text = std::string("Exception ") + error.TypeName() +
                     " in module " + module + " at " + HexAddress(codeOffset) +
                     ".\n" + message + (addStop ? "." : "");
  // The text is built in a 256-byte buffer.
  return CutToFit(text, 255, isLeadByte);
}

}  // namespace services
