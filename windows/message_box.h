// The one call that puts a box on the screen. Production links
// message_box.cpp (MessageBoxA); unit tests link a recorder in its place.
#pragma once

#include <windows.h>

namespace services {

int ShowBox(HWND owner, const char* text, const char* caption, UINT style);

}  // namespace services
