#include "last_chance.h"

#include <windows.h>

#include "message_box.h"
#include "paths.h"

namespace services {

// The fixed point that addresses are counted from: the program's image base.
unsigned long OffsetInProgram(const void* address) {
  auto base = reinterpret_cast<unsigned long>(GetModuleHandleA(nullptr));
  return reinterpret_cast<unsigned long>(address) - base;
}

void ShowLastChanceBox(const Exception& error) {
  char modulePath[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  char text[kLastChanceTextSize];
  LastChanceText(error, modulePath, OffsetInProgram(error.RaisedAt()),
                 IsSystemLeadByte, text);
  ShowBox(nullptr, text, "Application Error",
          MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void LastChance(const Exception& error) {
  // A fault while the box itself is made (no memory for its text) comes
  // back here: it ends the process rather than raising again and again.
  static bool ending = false;
  if (ending) ExitProcess(1);
  ending = true;
  ShowLastChanceBox(error);
  ExitProcess(1);
}

}  // namespace services
