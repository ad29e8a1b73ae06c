// The last-chance handler: the box for an error that nothing caught, then the
// end of the process with exit code 1.
#pragma once

#include <string>

#include "errors.h"

namespace services {

// Whether a byte opens a double-byte character of the code page.
using IsLeadByte = bool (*)(unsigned char byte);

// The box text for an error raised codeOffset bytes into the program at
// modulePath, cut to the 255 bytes that its buffer holds, never inside a
// character.
std::string LastChanceText(const Exception& error,
                           const std::string& modulePath,
                           unsigned long codeOffset, IsLeadByte isLeadByte);
// The raising address as an offset from the program's image base.
unsigned long OffsetInProgram(const void* address);

// The box alone: captioned "Application Error", with the stop icon, and
// task-modal.
void ShowLastChanceBox(const Exception& error);
[[noreturn]] void LastChance(const Exception& error);

}  // namespace services
