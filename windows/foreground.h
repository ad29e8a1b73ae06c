// Bringing another process's box in front of the user.
#pragma once

namespace services {

enum class BroughtForward { kNoWindow, kBrought, kRefused };

// Brings the topmost visible window of the process (a launcher's box) to the
// foreground: kNoWindow when the process shows none (or has ended),
// kRefused when the system keeps the foreground from this process.
BroughtForward BringWindowForward(unsigned long processId);

}  // namespace services
