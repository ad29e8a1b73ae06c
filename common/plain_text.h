// Comparing names without regard to case, when both are plain ASCII.
#pragma once

#include <optional>
#include <string>

namespace services {

// Whether a and b are equal without regard to case, when each holds only
// printable ASCII other than '-' and '\'' (which the locale's comparison
// weighs apart from the rest): for such texts the locale's case-blind
// comparison finds them equal exactly when their letters agree but for
// case. Nothing otherwise: then only the locale's comparison can tell. A
// medium of many modules asks this of every name many times over.
inline std::optional<bool> PlainEqualNoCase(const std::string& a,
                                            const std::string& b) {
  auto plain = [](const std::string& text) {
    for (char c : text)
      if (c < ' ' || c > '~' || c == '-' || c == '\'') return false;
    return true;
  };
  if (!plain(a) || !plain(b)) return std::nullopt;
  if (a.size() != b.size()) return false;
  for (std::string::size_type i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? char(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace services
