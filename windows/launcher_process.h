// Whether a process is another launcher: a holder record names a process,
// and only a running launcher's box may be brought to the front for it.
#pragma once

namespace services {

// True when the process runs and its program file has this program's name
// ("LAUNCH.EXE" on every medium). Where the system cannot tell a process's
// program (before XP, and the 95 family), a running process counts.
bool IsRunningLauncher(unsigned long processId);

}  // namespace services
