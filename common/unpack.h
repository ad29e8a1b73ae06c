// Unpacking the texts of the other languages, stored packed in the program.
#pragma once

#include <cstddef>

namespace services {

// Unpacks packed into out, which takes size bytes: a control byte c below
// 0x80 is followed by c + 1 bytes as they are; from 0x80 on it repeats
// (c & 0x7F) + 3 bytes from the distance given in the two bytes after it
// (little-endian) back in what was unpacked so far. False when packed does
// not unpack to exactly size bytes; nothing is ever read or written outside
// the two buffers.
bool Unpack(const unsigned char* packed, std::size_t packedSize, char* out,
            std::size_t size);

}  // namespace services
