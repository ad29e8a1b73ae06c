#include "version.h"

#include <climits>

#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"

namespace launcher {

int ParseVersionNumber(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() < 7) digits += "00";
  long long value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX)
      services::Raise(services::EConvertError(services::Substitute(
          services::Text(services::TextId::kNotAnInteger), digits)));
  }
  return static_cast<int>(value);
}

bool IsTooOldForModules(int version) {
  return version > 7000000 && version < 9000000;
}

}  // namespace launcher
