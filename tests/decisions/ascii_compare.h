// A case-blind comparison for the decisions' tests: ASCII is all that their
// names need, and it runs the same on the host and under Wine.
#pragma once

#include <cctype>
#include <string>

inline int AsciiCompareNoCase(const std::string& a, const std::string& b) {
  for (std::string::size_type i = 0; i < a.size() && i < b.size(); ++i) {
    int difference = std::tolower(static_cast<unsigned char>(a[i])) -
                     std::tolower(static_cast<unsigned char>(b[i]));
    if (difference != 0) return difference;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}
