// Locks that launchers running at the same time share: a named mutex per
// thing that only one of them may do at a time.
#pragma once

#include <string>

namespace services {

// Takes the lock of that kind for that path (case ignored) and holds it until
// the program ends. Without wait, answers false when another process holds
// it; with wait, waits until it is free. A lock that the system cannot make or
// wait for is no lock: the answer is true.
bool TakeLock(const char* kind, const std::string& path, bool wait);

}  // namespace services
