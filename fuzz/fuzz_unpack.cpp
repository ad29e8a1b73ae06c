// Any packed input unpacks within its two buffers (the sanitizers watch
// every byte past them), and to exactly one size or not at all.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  std::vector<char> out(data[0] | data[1] << 8);
  if (services::Unpack(data + 2, size - 2, out.data(), out.size())) {
    std::vector<char> more(out.size() + 1);
    if (services::Unpack(data + 2, size - 2, more.data(), more.size()))
      __builtin_trap();
  }
  return 0;
}
