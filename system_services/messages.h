// Message boxes: plain messages, the download advice, and reports of the last
// Windows error in the system's own words.
#pragma once

#include <windows.h>

#include <string>

namespace services {

// Shows the system's text for the calling thread's last error, captioned
// "Windows Error: " + operationName; nothing when the code is 0 or has no text.
void ReportWindowsError(const std::string& operationName);

int MessageBoxWithReport(HWND owner, const std::string& text,
                         const std::string& caption, UINT style);
void ShowMessage(const std::string& text, const std::string& caption);
// Appends the download suffix and captions the box "Check Startup".
void ShowAdvice(const std::string& text);

std::string DownloadSuffix();

}  // namespace services
