#include "windows/message_boxes.h"

#include <windows.h>

#include "common/text_pattern.h"
#include "common/texts.h"
#include "windows/message_box.h"
#include "windows/reported_call.h"

namespace services {

void ReportWindowsError(const char* operationName, unsigned long code) {
  if (code == 0) return;
  char text[256];
  text[0] = '\0';
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                 nullptr, code, 0, text, 255, nullptr);
  text[255] = '\0';
  if (text[0] == '\0') return;
  ShowBox(nullptr, text,
          Substitute(Text(TextId::kCaptionWindowsError), operationName).c_str(),
          MB_OK);
}

int MessageBoxWithReport(void* owner, const std::string& text,
                         const char* caption, unsigned style) {
  return CallReported(
      "MessageBox",
      [&] {
        return ShowBox(static_cast<HWND>(owner), text.c_str(), caption, style);
      },
      [](int result) { return result == 0; });
}

void ShowMessage(const std::string& text, const char* caption) {
  MessageBoxWithReport(nullptr, text, caption, MB_OK);
}

}  // namespace services
