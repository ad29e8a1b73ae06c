#include "errors.h"

#include <windows.h>

namespace services {

namespace {
unsigned long OffsetFromImageBase(void* address) {
  auto base = reinterpret_cast<unsigned long>(GetModuleHandleA(nullptr));
  return reinterpret_cast<unsigned long>(address) - base;
}
}  // namespace

// Not inlined, so that the return address is the code that raised the error.
__attribute__((noinline)) Exception::Exception(std::string message)
    : message_(std::move(message)),
      codeOffset_(OffsetFromImageBase(__builtin_return_address(0))) {}

std::string InOutErrorText(unsigned long code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
  }
  return "I/O error " + std::to_string(static_cast<int>(code));
}

EInOutError::EInOutError(unsigned long code)
    : Exception(InOutErrorText(code)), code_(code) {}

}  // namespace services
