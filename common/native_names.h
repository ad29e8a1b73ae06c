// Paths as the native calls give them: wide characters, counted.
#pragma once

#include <cstddef>
#include <type_traits>

namespace services {

// Whether the last component of path (the part after its last '\') is name,
// with the case of ASCII letters ignored.
template <typename Char>
bool LastComponentIs(const wchar_t* path, std::size_t length, const Char* name,
                     std::size_t nameLength) {
  std::size_t start = length;
  while (start > 0 && path[start - 1] != L'\\') --start;
  if (length - start != nameLength) return false;
  for (std::size_t i = 0; i < nameLength; ++i) {
    unsigned a = path[start + i];
    unsigned b = static_cast<std::make_unsigned_t<Char>>(name[i]);
    if (a - 'A' < 26) a |= 0x20;
    if (b - 'A' < 26) b |= 0x20;
    if (a != b) return false;
  }
  return true;
}

}  // namespace services
