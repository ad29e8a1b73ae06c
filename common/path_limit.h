// The platform's limit on a path: MAX_PATH, 260 characters with the closing
// NUL, so that a path fits its functions with at most 259.
#pragma once

#include <string>

namespace services {

constexpr std::string::size_type kPathLimit = 260;

// Whether a path of that many characters fits the platform's functions.
constexpr bool PathFits(std::string::size_type length) {
  return length < kPathLimit;
}

}  // namespace services
