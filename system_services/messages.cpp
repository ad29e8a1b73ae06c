#include "messages.h"

#include <windows.h>

#include "message_box.h"
#include "reported_call.h"

namespace services {

void ReportWindowsError(const std::string& operationName) {
  DWORD code = GetLastError();
  if (code == 0) return;
  char text[256];
  text[0] = '\0';
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                 nullptr, code, 0, text, 255, nullptr);
  text[255] = '\0';
  if (text[0] == '\0') return;
  std::string caption = "Windows Error: " + operationName;
  ShowBox(nullptr, text, caption.c_str(), MB_OK);
}

int MessageBoxWithReport(void* owner, const std::string& text,
                         const std::string& caption, unsigned style) {
  return CallReported(
      "MessageBox",
      [&] {
        return ShowBox(static_cast<HWND>(owner), text.c_str(), caption.c_str(),
                       style);
      },
      [](int result) { return result == 0; });
}

void ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxWithReport(nullptr, text, caption, MB_OK);
}

std::string DownloadSuffix() {
  return ". Download latest program from " LAUNCH_DOWNLOAD_SITES
         " and reinstall.";
}

void ShowAdvice(const std::string& text) {
  ShowMessage(text + DownloadSuffix(), "Check Startup");
}

}  // namespace services
