#include "windows/message_box.h"

namespace services {

int ShowBox(HWND owner, const char* text, const char* caption, UINT style) {
  return MessageBoxA(owner, text, caption, style);
}

}  // namespace services
