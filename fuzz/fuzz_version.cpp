// The version of a display name agrees with a plain reference: the digits,
// padded with "00" to seven or more, as a number, refused past 2147483647.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "launcher/version.h"
#include "system_services/errors.h"

namespace {
// -1 for a value past INT_MAX.
long long Reference(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  while (digits.size() < 7) digits += "00";
  std::string::size_type first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  std::string significant = digits.substr(first);
  if (significant.size() > 10) return -1;
  long long value = std::stoll(significant);
  return value > INT_MAX ? -1 : value;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  long long expected = Reference(text);
  try {
    int version = launcher::ParseVersionNumber(text);
    if (version != expected) __builtin_trap();
    if (launcher::IsTooOldForModules(version) !=
        (version > 7000000 && version < 9000000))
      __builtin_trap();
  } catch (const services::Exception& error) {
    if (expected != -1 ||
        std::string(error.TypeName()) != services::EConvertError::kTypeName)
      __builtin_trap();
  }
  return 0;
}
