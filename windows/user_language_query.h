// The user's language with the system's query given: tests pass none, as
// Windows 95, 98 and NT 4 have none.
#pragma once

#include <windows.h>

namespace services {

LANGID UserInterfaceLanguageWith(LANGID(WINAPI* query)());

}  // namespace services
