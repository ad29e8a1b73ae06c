#include "last_chance.h"

#include <windows.h>

#include "message_box.h"

namespace services {

namespace {
std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte); }
}  // namespace

// The fixed point that addresses are counted from: the program's image base.
unsigned long OffsetInProgram(const void* address) {
  auto base = reinterpret_cast<unsigned long>(GetModuleHandleA(nullptr));
  return reinterpret_cast<unsigned long>(address) - base;
}

void ShowLastChanceBox(const Exception& error) {
  ShowBox(nullptr,
          LastChanceText(error, ModulePath(), OffsetInProgram(error.RaisedAt()),
                         IsSystemLeadByte)
              .c_str(),
          "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
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
