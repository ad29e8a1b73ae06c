#include "named_lock.h"

#include <windows.h>

#include "unique_handle.h"

namespace services {

namespace {
// Given back as the program ends. A launcher holds two at most.
OwnedMutex heldLocks[2];
int heldCount = 0;

// "Lexivane <kind> " and a hash of the path: a mutex name has no room for a
// whole path, and no backslash.
std::string LockName(const char* kind, std::string path) {
  CharLowerBuffA(&path[0], static_cast<DWORD>(path.size()));
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  std::string name = std::string("Lexivane ") + kind + ' ';
  for (int shift = 60; shift >= 0; shift -= 4)
    name += "0123456789abcdef"[(hash >> shift) & 15];
  return name;
}
}  // namespace

bool TakeLock(const char* kind, const std::string& path, bool wait) {
  UniqueKernelObject mutex(
      CreateMutexA(nullptr, FALSE, LockName(kind, path).c_str()));
  if (!mutex.valid()) return true;
  // An abandoned lock is free: its owner has ended.
  DWORD waited = WaitForSingleObject(mutex.get(), wait ? INFINITE : 0);
  if ((waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) && heldCount < 2)
    heldLocks[heldCount++] = OwnedMutex(mutex.release());
  return waited != WAIT_TIMEOUT;
}

}  // namespace services
