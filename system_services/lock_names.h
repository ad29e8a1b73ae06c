// The names of a lock's objects: the mutex, "Lexivane lock " and a hash of
// the key (a mutex name has no room for a whole path, and no backslash), and
// its holder record, the same with " holder": a few bytes of shared memory
// in which the holder writes its process id.
#pragma once

#include <string>

#include "hex_text.h"

namespace services {

struct LockNames {
  explicit LockNames(const std::string& key) {
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    WriteHex(hash, 16, text + 14);
  }
  const char* Lock() {
    text[30] = '\0';
    return text;
  }
  const char* HolderRecord() {
    text[30] = ' ';
    return text;
  }
  char text[38] = "Lexivane lock 0123456789ABCDEF holder";
};

}  // namespace services
