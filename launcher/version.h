// The installed copy's version, read from the digits of its display name.
#pragma once

#include <string>

namespace launcher {

// The digits of text, padded with "00" to at least seven, as a number.
// Raises EConvertError when they exceed a signed 32-bit integer.
int ParseVersionNumber(const std::string& text);

// Installed versions in 7000001..8999999 cannot take modules from a medium.
bool IsTooOldForModules(int version);

}  // namespace launcher
