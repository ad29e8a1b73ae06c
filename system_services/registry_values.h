// Reading one text value from an open key.
#pragma once

#include <windows.h>

#include <string>

#include "errors.h"

namespace services {

// The system's RegQueryValueExA, or a stand-in that tests make fail.
using QueryValueFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE,
                                         LPDWORD);

// Empty when the value is missing or empty. Answers ERegistryException when
// the data cannot be read or is not text, leaving in answer what was read.
[[nodiscard]] Fault ReadTextValue(HKEY key, const std::string& valueName,
                                  std::string& answer,
                                  QueryValueFunction query = RegQueryValueExA);

}  // namespace services
