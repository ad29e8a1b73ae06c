// The security of the objects that the user's launchers share (the locks
// and their holder records). An object made by an elevated launcher would
// otherwise take the elevated token's default, which keeps a standard
// launcher of the same user out: it could neither take the lock nor read who
// holds it.
#pragma once

#include <windows.h>

namespace services {

// For CreateMutexA and CreateFileMappingA: every launcher of this user,
// elevated or not, may use the object; where the system labels objects with
// an integrity level, a low label that keeps no launcher out. Null where the
// system has no security (the 95 family): the object then takes the
// system's default.
SECURITY_ATTRIBUTES* SharedObjectSecurity();

}  // namespace services
