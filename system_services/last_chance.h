// The last-chance handler: the box for an error that nothing caught, then the
// end of the process with exit code 1.
#pragma once

#include <cstddef>

#include "double_byte_text.h"
#include "errors.h"

namespace services {

// The box text's buffer: 255 bytes and the closing NUL.
constexpr std::size_t kLastChanceTextSize = 256;

// Writes into text the box text for an error raised codeOffset bytes into
// the program at modulePath, with the module's name cut to 63 bytes and the
// whole text to 255, never inside a character. Allocates nothing: it is the
// box of a program that may have run out of memory.
void LastChanceText(const Exception& error, const char* modulePath,
                    unsigned long codeOffset, IsLeadByte isLeadByte,
                    char (&text)[kLastChanceTextSize]);
// The raising address as an offset from the program's image base.
unsigned long OffsetInProgram(const void* address);

// The box alone: captioned "Application Error", with the stop icon, and
// task-modal.
void ShowLastChanceBox(const Exception& error);
[[noreturn]] void LastChance(const Exception& error);

}  // namespace services
