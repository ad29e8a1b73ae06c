// The version of a display name: the documented examples, and properties
// that any text keeps (only its digits count; fewer than seven are padded
// with "00", which changes nothing; seven or more read as a decimal number;
// past a signed 32-bit integer it is refused, and stays refused with more
// digits).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/errors.h"
#include "launcher/version.h"

namespace {
// The version, or -1 when it is refused as no integer.
long long Version(const std::string& text) {
  try {
    return launcher::ParseVersionNumber(text);
  } catch (const services::Exception& error) {
    if (std::string(error.TypeName()) != services::EConvertError::kTypeName)
      __builtin_trap();
    return -1;
  }
}

void Expect(bool holds) {
  if (!holds) __builtin_trap();
}

bool Examples() {
  Expect(Version("Lexivane 7.05") == 7050000);
  Expect(Version("Version 2.5") == 25000000);
  Expect(Version("Lexivane") == 0);
  Expect(Version("85") == 85000000 && !launcher::IsTooOldForModules(85000000));
  Expect(Version("852") == 8520000 && launcher::IsTooOldForModules(8520000));
  Expect(Version("2147483647") == INT_MAX && Version("2147483648") == -1);
  for (int edge : {7000000, 9000000})
    Expect(!launcher::IsTooOldForModules(edge));
  for (int edge : {7000001, 8999999})
    Expect(launcher::IsTooOldForModules(edge));
  return true;
}
const bool examples_hold = Examples();
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  long long version = Version(text);
  Expect(version >= -1 && version <= INT_MAX);
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  // Only the digits count, wherever they stand.
  Expect(Version("v" + text + ".") == version && Version(digits) == version);
  if (digits.size() < 7) {
    // Padding: two zeros more change nothing below seven digits.
    Expect(version != -1 && Version(digits + "00") == version);
  } else if (digits.size() > 7) {
    // Seven digits and more: a decimal number; a refused one stays refused.
    long long shorter = Version(digits.substr(0, digits.size() - 1));
    if (shorter == -1)
      Expect(version == -1);
    else if (version != -1)
      Expect(version == shorter * 10 + (digits.back() - '0'));
    else
      Expect(shorter * 10 + (digits.back() - '0') > INT_MAX);
  }
  Expect(launcher::IsTooOldForModules(static_cast<int>(version)) ==
         (version > 7000000 && version < 9000000));
  return 0;
}
