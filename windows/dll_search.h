// Where the process looks for the DLLs that it loads after start.
#pragma once

namespace services {

// Restricts the search for DLLs loaded later in this process to the system
// directory where the platform can (Windows 8, and 7 with KB2533623); else
// takes the current directory out of it (XP SP1 and later). Older systems
// have neither and keep their search order.
void NarrowDllSearch();

}  // namespace services
