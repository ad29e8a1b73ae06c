#include "launcher_services/last_chance.h"

#include <windows.h>

#include "common/texts.h"
#include "windows/message_box.h"
#include "windows/paths.h"

namespace services {

// The fixed point that addresses are counted from: the program's image base.
unsigned long OffsetInProgram(const void* address) {
  auto base = reinterpret_cast<unsigned long>(GetModuleHandleA(nullptr));
  return reinterpret_cast<unsigned long>(address) - base;
}

void ShowLastChanceBox(const char* typeName, const char* message,
                       const void* raisedAt) {
  char modulePath[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  char text[kLastChanceTextSize];
  LastChanceText(typeName, message, modulePath, OffsetInProgram(raisedAt),
                 IsSystemLeadByte, text);
  ShowBox(nullptr, text, Text(TextId::kCaptionApplicationError),
          MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

namespace {
[[noreturn]] void ShowAndEnd(const char* typeName, const char* message,
                             const void* raisedAt) {
  // A fault while the box itself is shown comes back here: it ends the
  // process rather than raising again and again.
  static bool ending = false;
  if (!ending) {
    ending = true;
    ShowLastChanceBox(typeName, message, raisedAt);
  }
  ExitProcess(1);
}
}  // namespace

void LastChance(const Exception& error) {
  ShowAndEnd(error.TypeName(), error.Message().c_str(), error.RaisedAt());
}

void LastChanceOutOfMemory(const void* raisedAt) {
  ShowAndEnd("Exception", Text(TextId::kOutOfMemory), raisedAt);
}

}  // namespace services
