// The advice boxes: what is wrong, then where to download the program and
// reinstall it.
#pragma once

#include <string>

namespace services {

// The advice that every advice box ends with: the download sites that the
// build was configured with.
std::string DownloadSuffix();
// Appends the download suffix and captions the box "Check Startup".
void ShowAdvice(const std::string& text);

}  // namespace services
