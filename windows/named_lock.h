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
  // The launcher that holds the lock, as it made itself known right after
  // taking it (given a second to do so); 0 when none did, when that process
  // has ended, or when it is no launcher.
  static unsigned long Holder(const std::string& key);

  // Whether the one who held the lock before ended without giving it back.
  bool Abandoned() const { return abandoned_; }
  // False for the stand-in that a name taken by another kind of object
  // gives: nothing is locked.
  bool Held() const { return mutex_ != nullptr; }

  NamedLock(NamedLock&& other) noexcept;
  NamedLock& operator=(NamedLock&& other) noexcept;
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;
  ~NamedLock();

 private:
  NamedLock(void* mutex, bool abandoned)
      : mutex_(mutex), abandoned_(abandoned) {}
  void Release();

  void* mutex_;
  void* record_ = nullptr;                    // the holder record
  volatile unsigned long* holder_ = nullptr;  // its view, with this id
  bool abandoned_;
};

}  // namespace services
