#include <cstring>

#include "common/hex_text.h"
#include "common/texts.h"
#include "launcher_services/last_chance.h"

namespace services {

namespace {
// Appends whole characters to a text of at most 255 bytes and its NUL; once
// a character does not fit, nothing more is taken. A piece may be given a
// smaller room of its own, past which the rest of that piece is left out.
// Nothing here allocates: the text is made when memory may have run out.
class BoundedText {
 public:
  BoundedText(char (&buffer)[kLastChanceTextSize], IsLeadByte isLeadByte)
      : buffer_(buffer), isLeadByte_(isLeadByte) {
    buffer_[0] = '\0';
  }
  void Append(const char* text, std::size_t size,
              std::size_t most = ~std::size_t{0}) {
    for (std::size_t i = 0; i < size && !full_;) {
      std::size_t next = CharacterEnd(text, size, i, isLeadByte_);
      if (next - i > most) break;
      if (length_ + (next - i) > kLastChanceTextSize - 1) {
        full_ = true;
        break;
      }
      most -= next - i;
      while (i < next) buffer_[length_++] = text[i++];
    }
    buffer_[length_] = '\0';
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }

 private:
  char (&buffer_)[kLastChanceTextSize];
  IsLeadByte isLeadByte_;
  std::size_t length_ = 0;
  bool full_ = false;
};

// Where the part after the last backslash that is a character of its own
// starts.
std::size_t FileNameStart(const char* path, std::size_t size,
                          IsLeadByte isLeadByte) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < size;) {
    std::size_t next = CharacterEnd(path, size, i, isLeadByte);
    if (next == i + 1 && path[i] == '\\') start = next;
    i = next;
  }
  return start;
}
}  // namespace

void LastChanceText(const char* typeName, const char* message,
                    const char* modulePath, unsigned long codeOffset,
                    IsLeadByte isLeadByte, char (&text)[kLastChanceTextSize]) {
  // Eight upper-case hexadecimal digits, as "%p" writes a 32-bit address.
  char address[9] = {};
  WriteHex(codeOffset, 8, address);
  std::size_t pathSize = std::strlen(modulePath);
  std::size_t name = FileNameStart(modulePath, pathSize, isLeadByte);
  const char* fills[] = {typeName, modulePath + name, address};

  // The first line's pattern, with its three %s filled in; the module's name
  // is cut to 63 bytes.
  BoundedText out(text, isLeadByte);
  int filled = 0;
  for (const char* at = Text(TextId::kExceptionAt); *at;) {
    // '%' is never the second byte of a double-byte character.
    const char* fill = at;
    while (*fill && !(fill[0] == '%' && fill[1] == 's' && filled < 3)) ++fill;
    out.Append(at, fill - at);
    if (!*fill) break;
    const char* value = fills[filled];
    out.Append(value, std::strlen(value), filled++ == 1 ? 63 : ~std::size_t{0});
    at = fill + 2;
  }
  out.Append("\n");
  std::size_t messageSize = std::strlen(message);
  out.Append(message, messageSize);
  const char* stop = Text(TextId::kFullStop);
  std::size_t stopSize = std::strlen(stop);
  if (messageSize > 0 &&
      (messageSize < stopSize ||
       std::memcmp(message + messageSize - stopSize, stop, stopSize) != 0))
    out.Append(stop);
}

}  // namespace services
