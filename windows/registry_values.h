// Reading one text value from an open key.
#pragma once

#include <windows.h>

#include <string>

#include "common/errors.h"

namespace services {

// The system's RegQueryValueExA, or a stand-in that tests make fail.
using QueryValueFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE,
                                         LPDWORD);

// The longest value read: 1 MiB, the registry's limit for a value in its
// standard format. A path or a name is far shorter.
constexpr unsigned long kLongestTextValue = 1024 * 1024;

// Empty when the value is missing or empty. Answers ERegistryException when
// the value is longer than kLongestTextValue (answer empty), when its data
// cannot be read (answer as long as the value, its bytes undefined) or when
// it is not text (answer its raw bytes).
[[nodiscard]] Fault ReadTextValue(HKEY key, const std::string& valueName,
                                  std::string& answer,
                                  QueryValueFunction query = RegQueryValueExA);

}  // namespace services
