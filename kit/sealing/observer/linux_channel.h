// The observer's channel to the sealed machine's recorder: two pipes that
// the recorder hands over as descriptors 3 (records out) and 4 (answers in).
// Wine knows nothing of them, so no Windows program can duplicate them from
// the observer; they are reached with Linux's own system calls, which a
// Windows program under Wine can make (int 0x80 in a 32-bit process).
#pragma once

#include <string>

class LinuxChannel {
 public:
  // Keeps the descriptors from every program started from here on, and the
  // observer from being looked into (non-dumpable: no process of the same
  // user may trace it or open its descriptors).
  static bool Seal();
  // The whole text, however the pipe takes it.
  static bool Send(const std::string &text);
  // Waits until the recorder has looked at every process in the machine.
  static bool AwaitLook();
};
