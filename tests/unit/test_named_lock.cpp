// Locks that launchers share: refused while another holds them, with that
// holder known, and given back when the object that took them goes.
#include <optional>
#include <thread>

#include "scratch.h"
#include "system_services/named_lock.h"

using services::NamedLock;

// A mutex belongs to a thread: another thread here stands for another
// launcher.
TEST(NamedLock, HeldElsewhereIsRefusedAndItsHolderKnownUntilGivenBack) {
  const std::string key = "unit test " + std::to_string(GetTickCount());
  HANDLE steps[4];  // taken, give back, given back, end
  for (HANDLE& step : steps) step = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    std::optional<NamedLock> lock = NamedLock::Try(key);
    SetEvent(steps[0]);
    WaitForSingleObject(steps[1], INFINITE);
    lock.reset();
    SetEvent(steps[2]);
    // Still running: a lock not given back would still be held.
    WaitForSingleObject(steps[3], INFINITE);
  });
  WaitForSingleObject(steps[0], INFINITE);
  EXPECT_FALSE(NamedLock::Try(key));
  EXPECT_FALSE(NamedLock::Wait(key, 200));
  EXPECT_EQ(NamedLock::Holder(key), GetCurrentProcessId());
  EXPECT_EQ(NamedLock::Holder("unit test, never taken"), 0ul);
  SetEvent(steps[1]);
  WaitForSingleObject(steps[2], INFINITE);
  EXPECT_TRUE(NamedLock::Try(key));
  SetEvent(steps[3]);
  other.join();
  for (HANDLE step : steps) CloseHandle(step);
}
