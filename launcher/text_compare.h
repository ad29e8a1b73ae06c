// The comparison that the decisions use to match names without regard to
// case. The program passes the locale's own (services::CompareNoCase); the
// decisions never call the platform themselves.
#pragma once

#include <string>

namespace launcher {

// 0 means equal.
using CompareText = int (*)(const std::string& a, const std::string& b);

}  // namespace launcher
