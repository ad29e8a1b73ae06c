#include "scratch.h"
#include "windows/message_box.h"

namespace services {
int ShowBox(HWND, const char* text, const char* caption, UINT style) {
  shownBoxes.emplace_back(caption, text, style);
  if (boxResult == 0) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return boxResult;
}
}  // namespace services
