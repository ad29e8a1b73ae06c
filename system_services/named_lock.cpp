#include "named_lock.h"

#include <windows.h>

#include <utility>

#include "hex_text.h"
#include "unique_handle.h"

namespace services {

namespace {
// The lock's name, "Lexivane lock " and a hash of the key (a mutex name has
// no room for a whole path, and no backslash), and the name of its holder
// record: a few bytes of shared memory in which the holder writes its
// process id, and which last as long as a process has them open.
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

HANDLE PublishHolder(LockNames& names) {
  HANDLE record =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                         sizeof(DWORD), names.HolderRecord());
  if (!record) return nullptr;
  if (void* view = MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
    *static_cast<volatile DWORD*>(view) = GetCurrentProcessId();
    UnmapViewOfFile(view);
  }
  return record;
}
}  // namespace

std::optional<NamedLock> NamedLock::Wait(const std::string& key,
                                         unsigned long timeoutMs) {
  LockNames names(key);
  UniqueKernelObject mutex(CreateMutexA(nullptr, FALSE, names.Lock()));
  // A lock that the system cannot make (the name is taken by an object of
  // another kind) is no lock: the launcher goes on without it.
  if (!mutex.valid()) return NamedLock(nullptr, nullptr);
  DWORD waited = WaitForSingleObject(mutex.get(), timeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return std::nullopt;
  return NamedLock(mutex.release(), PublishHolder(names));
}

std::optional<NamedLock> NamedLock::Try(const std::string& key) {
  return Wait(key, 0);
}

unsigned long NamedLock::Holder(const std::string& key) {
  LockNames names(key);
  for (int attempt = 0; attempt < 20; ++attempt, Sleep(50)) {
    UniqueKernelObject record(
        OpenFileMappingA(FILE_MAP_READ, FALSE, names.HolderRecord()));
    void* view = record.valid() ? MapViewOfFile(record.get(), FILE_MAP_READ, 0,
                                                0, sizeof(DWORD))
                                : nullptr;
    DWORD holder = view ? *static_cast<volatile DWORD*>(view) : 0;
    if (view) UnmapViewOfFile(view);
    if (!holder) continue;
    UniqueKernelObject process(OpenProcess(SYNCHRONIZE, FALSE, holder));
    bool running = process.valid() &&
                   WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    return running ? holder : 0;
  }
  return 0;
}

NamedLock::NamedLock(NamedLock&& other) noexcept
    : mutex_(std::exchange(other.mutex_, nullptr)),
      holderRecord_(std::exchange(other.holderRecord_, nullptr)) {}

NamedLock& NamedLock::operator=(NamedLock&& other) noexcept {
  if (this != &other) {
    Release();
    mutex_ = std::exchange(other.mutex_, nullptr);
    holderRecord_ = std::exchange(other.holderRecord_, nullptr);
  }
  return *this;
}

NamedLock::~NamedLock() { Release(); }

void NamedLock::Release() {
  UniqueKernelObject record(holderRecord_);
  OwnedMutex mutex(mutex_);
  holderRecord_ = mutex_ = nullptr;
}

}  // namespace services
