// The last-chance handler: the box for an error that nothing caught, then the
// end of the process with exit code 1.
#pragma once

#include <cstddef>

#include "common/double_byte_text.h"
#include "common/errors.h"

namespace services {

// The box text's buffer: 255 bytes and the closing NUL.
constexpr std::size_t kLastChanceTextSize = 256;

// Writes into text the box text for an error of that type and message,
// raised codeOffset bytes into the program at modulePath, with the module's
// name cut to 63 bytes and the whole text to 255, never inside a character.
// Allocates nothing: it is the box of a program that may have run out of
// memory.
void LastChanceText(const char* typeName, const char* message,
                    const char* modulePath, unsigned long codeOffset,
                    IsLeadByte isLeadByte, char (&text)[kLastChanceTextSize]);
// The raising address as an offset from the program's image base.
unsigned long OffsetInProgram(const void* address);

// The box alone: captioned "Application Error", with the stop icon, and
// task-modal, for an error of that type and message raised at raisedAt.
void ShowLastChanceBox(const char* typeName, const char* message,
                       const void* raisedAt);
[[noreturn]] void LastChance(const Exception& error);
// The same for memory that ran out at raisedAt: made without an error object,
// whose message could not be made.
[[noreturn]] void LastChanceOutOfMemory(const void* raisedAt);

}  // namespace services
