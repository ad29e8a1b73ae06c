// Locks that launchers share: refused while another holds them, with that
// holder known, given back when the object that took them goes, and free
// when their holder has ended.
#include <optional>
#include <thread>

#include "scratch.h"
// sddl.h needs the types of windows.h.
#include <sddl.h>

#include "common/lock_names.h"
#include "windows/named_lock.h"

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

// A holder that ended without giving the lock back has given it up; a record
// that names a process that has ended, or a program that is no launcher,
// names no holder.
TEST(NamedLock, AnEndedHolderGivesItUpAndOnlyARunningLauncherHolds) {
  const std::string key = "unit test ended " + std::to_string(GetTickCount());
  std::thread([&] { new NamedLock(std::move(*NamedLock::Try(key))); }).join();
  std::optional<NamedLock> taken = NamedLock::Wait(key, 1000);
  ASSERT_TRUE(taken);
  EXPECT_TRUE(taken->Abandoned());
  services::UniqueKernelObject record(OpenFileMappingA(
      FILE_MAP_WRITE, FALSE, services::LockNames(key).HolderRecord()));
  auto* holder =
      static_cast<DWORD*>(MapViewOfFile(record.get(), FILE_MAP_WRITE, 0, 0, 4));
  // This very program, ended; a notepad (suspended).
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const char* const programs[] = {self, "C:\\windows\\notepad.exe"};
  for (const char* program : programs) {
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION named = {};
    ASSERT_TRUE(CreateProcessA(program, nullptr, nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED, nullptr, nullptr, &startup,
                               &named));
    services::UniqueKernelObject process(named.hProcess), thread(named.hThread);
    if (program == self) TerminateProcess(named.hProcess, 0);
    WaitForSingleObject(named.hProcess, program == self ? INFINITE : 0);
    *holder = named.dwProcessId;
    EXPECT_EQ(NamedLock::Holder(key), 0ul) << program;
    TerminateProcess(named.hProcess, 0);
  }
  UnmapViewOfFile(holder);
}

// A mutex that lets this launcher only wait (as an elevated launcher's did)
// is taken all the same.
TEST(NamedLock, AMutexThatLetsThisLauncherOnlyWaitIsTakenAllTheSame) {
  const std::string key =
      "unit test only wait " + std::to_string(GetTickCount());
  SECURITY_ATTRIBUTES waitOnly = {sizeof waitOnly, nullptr, FALSE};
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:(A;;0x100000;;;WD)", SDDL_REVISION_1, &waitOnly.lpSecurityDescriptor,
      nullptr));
  services::UniqueKernelObject made(
      CreateMutexA(&waitOnly, FALSE, services::LockNames(key).Lock()));
  EXPECT_TRUE(NamedLock::Try(key));
}
