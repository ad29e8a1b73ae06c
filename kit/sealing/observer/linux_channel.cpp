#include "linux_channel.h"

namespace {

constexpr long kWrite = 4, kRead = 3, kFcntl = 55, kPrctl = 172;
constexpr long kSetDescriptorFlags = 2, kCloseOnExec = 1;
constexpr long kSetDumpable = 4;
constexpr long kRecords = 3, kAnswers = 4;
constexpr long kInterrupted = -4;

// Wine's own signals may interrupt a call: it is made again.
long LinuxCall(long number, long a, long b, long c) {
  long result;
  do
    asm volatile("int $0x80"
                 : "=a"(result)
                 : "a"(number), "b"(a), "c"(b), "d"(c)
                 : "memory");
  while (result == kInterrupted);
  return result;
}

}  // namespace

bool LinuxChannel::Seal() {
  return LinuxCall(kFcntl, kRecords, kSetDescriptorFlags, kCloseOnExec) == 0 &&
         LinuxCall(kFcntl, kAnswers, kSetDescriptorFlags, kCloseOnExec) == 0 &&
         LinuxCall(kPrctl, kSetDumpable, 0, 0) == 0;
}

bool LinuxChannel::Send(const std::string &text) {
  for (size_t sent = 0; sent < text.size();) {
    long done =
        LinuxCall(kWrite, kRecords, reinterpret_cast<long>(text.data() + sent),
                  static_cast<long>(text.size() - sent));
    if (done <= 0) return false;
    sent += static_cast<size_t>(done);
  }
  return true;
}

bool LinuxChannel::AwaitLook() {
  char answer = 0;
  return LinuxCall(kRead, kAnswers, reinterpret_cast<long>(&answer), 1) == 1;
}
