// The names of a lock's objects: the mutex, "Lexivane lock " and a hash of
// the key (a mutex name has no room for a whole path, and no backslash), and
// its holder record, the same with " holder": a few bytes of shared memory
// in which the holder writes its process id.
#pragma once

#include <string>

#include "common/hex_text.h"

namespace services {

struct LockNames {
  explicit LockNames(const std::string& key) {
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    WriteHex(hash, 16, holder + 14);
    // The mutex's name is the record's without " holder".
    for (int i = 0; i < 30; ++i) lock[i] = holder[i];
  }
  const char* Lock() const { return lock; }
  const char* HolderRecord() const { return holder; }
  char holder[38] = "Lexivane lock 0123456789ABCDEF holder";
  char lock[31] = {};
};

}  // namespace services
