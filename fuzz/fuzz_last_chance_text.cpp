// The last-chance text for any message and module path fits its buffer and
// keeps its first line's form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/errors.h"
#include "launcher_services/last_chance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  unsigned long offset = data[0] | data[1] << 8 | data[2] << 16 |
                         static_cast<unsigned long>(data[3]) << 24;
  std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
  std::string::size_type cut = rest.find('\n');
  std::string path = rest.substr(0, cut);
  std::string message = cut == std::string::npos ? "" : rest.substr(cut + 1);
  auto leadByte = [](unsigned char c) { return c >= 0x81; };
  char buffer[services::kLastChanceTextSize];
  services::LastChanceText(services::EConvertError::kTypeName, message.c_str(),
                           path.c_str(), offset, leadByte, buffer);
  std::string text = buffer;
  const std::string head = "Exception EConvertError in module ";
  if (text.size() > 255 || text.compare(0, head.size(), head) != 0)
    __builtin_trap();
  std::string::size_type at = text.find(" at ", head.size());
  if (at == std::string::npos || at - head.size() > 63) __builtin_trap();
  return 0;
}
