// Locks that launchers running at the same time share: a named mutex for a
// thing that only one of them may do at a time, held by the object that took
// it and given back when that object goes.
#pragma once

#include <optional>
#include <string>

namespace services {

class NamedLock {
 public:
  // Takes the lock named by key (any text) when no other process holds it;
  // empty when one does.
  static std::optional<NamedLock> Try(const std::string& key);
  // Waits for the lock up to timeoutMs milliseconds; empty when it stayed
  // taken. An abandoned lock is free: its holder has ended.
  static std::optional<NamedLock> Wait(const std::string& key,
                                       unsigned long timeoutMs);
  // The process that holds the lock, as its holder made itself known right
  // after taking it (given a second to do so); 0 when none did, or when that
  // process has ended.
  static unsigned long Holder(const std::string& key);

  NamedLock(NamedLock&& other) noexcept;
  NamedLock& operator=(NamedLock&& other) noexcept;
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;
  ~NamedLock();

 private:
  NamedLock(void* mutex, void* holderRecord)
      : mutex_(mutex), holderRecord_(holderRecord) {}
  void Release();

  void* mutex_;
  void* holderRecord_;
};

}  // namespace services
