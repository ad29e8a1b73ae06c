// Message boxes: plain messages, the download advice, and reports of the last
// Windows error in the system's own words.
#pragma once

#include <string>

namespace services {

// Shows the system's text for the calling thread's last error, captioned
// "Windows Error: " + operationName; nothing when the code is 0 or has no text.
void ReportWindowsError(const char* operationName);
// The same for an error code read before.
void ReportWindowsError(const char* operationName, unsigned long code);

// owner is a window handle (none: nullptr).
int MessageBoxWithReport(void* owner, const std::string& text,
                         const char* caption, unsigned style);
void ShowMessage(const std::string& text, const char* caption);
// Appends the download suffix and captions the box "Check Startup".
void ShowAdvice(const std::string& text);

std::string DownloadSuffix();

}  // namespace services
