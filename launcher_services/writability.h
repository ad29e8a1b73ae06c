// Whether a directory takes a new file, tested without letting the system
// ask for a missing disk.
#pragma once

#include <string>

namespace services {

// Drive types 2 to 6: removable, fixed, remote, CD-ROM, RAM disk.
bool IsUsableDrive(char letter);
// on: turns the system's critical-error dialogs off, saving the mode in
// force; off: restores the saved mode.
void SetCriticalErrorsOff(bool on);

// Critical-error dialogs stay off for the object's lifetime; the saved mode
// comes back on every way out.
class CriticalErrorsOff {
 public:
  CriticalErrorsOff() { SetCriticalErrorsOff(true); }
  ~CriticalErrorsOff() { SetCriticalErrorsOff(false); }
  CriticalErrorsOff(const CriticalErrorsOff&) = delete;
  CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;
};

bool DirectoryIsWritable(const std::string& directory);

}  // namespace services
