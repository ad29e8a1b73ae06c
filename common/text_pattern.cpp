#include "common/text_pattern.h"

namespace services {

std::string Substitute(const char* pattern, const std::string& first,
                       const std::string& second) {
  std::string text;
  const std::string* next[] = {&first, &second};
  int used = 0;
  for (const char* at = pattern; *at; ++at) {
    if (at[0] == '%' && at[1] == 's' && used < 2) {
      text += *next[used++];
      ++at;
    } else {
      text += *at;
    }
  }
  return text;
}

std::string Substitute(const char* pattern, const std::string& first) {
  return Substitute(pattern, first, std::string());
}

std::string Decimal(long value) {
  char digits[12];
  char* start = digits + sizeof digits;
  unsigned long rest = value < 0 ? 0ul - value : value;
  do *--start = static_cast<char>('0' + rest % 10);
  while (rest /= 10);
  if (value < 0) *--start = '-';
  return std::string(start, digits + sizeof digits - start);
}

}  // namespace services
