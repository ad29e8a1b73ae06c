#include "common/unpack.h"

namespace services {

bool Unpack(const unsigned char* packed, std::size_t packedSize, char* out,
            std::size_t size) {
  std::size_t in = 0, done = 0;
  while (in < packedSize) {
    unsigned control = packed[in++];
    if (control < 0x80) {
      std::size_t count = control + 1;
      if (count > packedSize - in || count > size - done) return false;
      while (count--) out[done++] = static_cast<char>(packed[in++]);
      continue;
    }
    if (packedSize - in < 2) return false;
    std::size_t distance = packed[in] | packed[in + 1] << 8;
    std::size_t count = (control & 0x7F) + 3;
    in += 2;
    if (distance == 0 || distance > done || count > size - done) return false;
    for (; count; --count, ++done) out[done] = out[done - distance];
  }
  return done == size;
}

}  // namespace services
