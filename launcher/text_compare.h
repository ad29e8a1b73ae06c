// The comparison that the decisions use to match names without regard to
// case. The program passes the locale's own (services::EqualNoCase); the
// decisions never call the platform themselves.
#pragma once

#include <string>

namespace launcher {

using EqualText = bool (*)(const std::string& a, const std::string& b);

}  // namespace launcher
