#include "windows/named_lock.h"

#include <windows.h>

#include <utility>

#include "common/lock_names.h"
#include "windows/launcher_process.h"
#include "windows/shared_security.h"
#include "windows/system_functions.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
// The holder record, with this process's id in it, and a view of it that
// stays while the lock is held (the record lasts as long as a handle to it).
HANDLE PublishHolder(const LockNames& names, volatile DWORD*& view) {
  HANDLE record = CreateFileMappingA(INVALID_HANDLE_VALUE,
                                     SharedObjectSecurity(), PAGE_READWRITE, 0,
                                     sizeof(DWORD), names.HolderRecord());
  view = static_cast<volatile DWORD*>(
      record ? MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))
             : nullptr);
  if (view) *view = GetCurrentProcessId();
  return record;
}

DWORD ReadHolder(const LockNames& names) {
  UniqueKernelObject record(
      OpenFileMappingA(FILE_MAP_READ, FALSE, names.HolderRecord()));
  void* view = record.valid() ? MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0,
                                              sizeof(DWORD))
                              : nullptr;
  DWORD holder = view ? *static_cast<volatile DWORD*>(view) : 0;
  if (view) UnmapViewOfFile(view);
  return holder;
}
}  // namespace

std::optional<NamedLock> NamedLock::Wait(const std::string& key,
                                         unsigned long timeoutMs) {
  LockNames names(key);
  UniqueKernelObject mutex(
      CreateMutexA(SharedObjectSecurity(), FALSE, names.Lock()));
  // A mutex that lets this launcher only wait (one that an older launcher
  // made elevated, or another user's) is a lock all the same: waiting takes
  // it, and this process gives it back when it ends.
  if (!mutex.valid() && GetLastError() == ERROR_ACCESS_DENIED)
    mutex.reset(Kernel32().OpenMutexA(SYNCHRONIZE, FALSE, names.Lock()));
  if (!mutex.valid()) {
    // A name that an object of another kind has taken makes no lock at all:
    // the launcher goes on without it. Any other failure counts as held.
    if (GetLastError() != ERROR_INVALID_HANDLE) return std::nullopt;
    return NamedLock(nullptr, false);
  }
  DWORD waited = WaitForSingleObject(mutex.get(), timeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return std::nullopt;
  NamedLock lock(mutex.release(), waited == WAIT_ABANDONED);
  lock.record_ = PublishHolder(names, lock.holder_);
  return lock;
}

std::optional<NamedLock> NamedLock::Try(const std::string& key) {
  return Wait(key, 0);
}

unsigned long NamedLock::Holder(const std::string& key) {
  LockNames names(key);
  for (int attempt = 0; attempt < 20; ++attempt, Sleep(50))
    if (DWORD holder = ReadHolder(names))
      return IsRunningLauncher(holder) ? holder : 0;
  return 0;
}

NamedLock::NamedLock(NamedLock&& other) noexcept
    : mutex_(std::exchange(other.mutex_, nullptr)),
      record_(std::exchange(other.record_, nullptr)),
      holder_(std::exchange(other.holder_, nullptr)),
      abandoned_(other.abandoned_) {}

NamedLock& NamedLock::operator=(NamedLock&& other) noexcept {
  if (this != &other) {
    Release();
    mutex_ = std::exchange(other.mutex_, nullptr);
    record_ = std::exchange(other.record_, nullptr);
    holder_ = std::exchange(other.holder_, nullptr);
    abandoned_ = other.abandoned_;
  }
  return *this;
}

NamedLock::~NamedLock() { Release(); }

// The record goes first, and names no one once it goes: a launcher that
// reads it meanwhile never takes a process that has let go for the holder.
void NamedLock::Release() {
  {
    UniqueKernelObject record(std::exchange(record_, nullptr));
    if (holder_) {
      *holder_ = 0;
      UnmapViewOfFile(const_cast<unsigned long*>(holder_));
    }
    holder_ = nullptr;
  }
  OwnedMutex mutex(std::exchange(mutex_, nullptr));
}

}  // namespace services
