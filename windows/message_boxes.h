// Message boxes: plain messages, and reports of a Windows error in the
// system's own words.
#pragma once

#include <string>

namespace services {

// Shows the system's text for an error code, captioned "Windows Error: " +
// operationName; nothing when the code is 0 or has no text.
void ReportWindowsError(const char* operationName, unsigned long code);

// owner is a window handle (none: nullptr).
int MessageBoxWithReport(void* owner, const std::string& text,
                         const char* caption, unsigned style);
void ShowMessage(const std::string& text, const char* caption);

}  // namespace services
