// What a directory is, whatever its path's spelling.
#pragma once

#include <string>

namespace services {

// On the NT family, the volume's serial number and the directory's file
// index, as text: every name of the directory has the same (another drive
// letter made with subst or a mapped share, a short form, another case).
// Empty where the system cannot tell: the 95 family opens no directories,
// and a directory may be gone or closed to the user.
std::string DirectoryIdentity(const std::string& directory);

}  // namespace services
