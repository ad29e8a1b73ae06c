// Which family of Windows runs the program.
#pragma once

namespace services {

// True on the NT family; a failed query is reported and counts as not NT.
bool QueryWindowsVersion();

}  // namespace services
