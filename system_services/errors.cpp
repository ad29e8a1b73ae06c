#include "errors.h"

#include "text_pattern.h"

namespace services {

// Never inlined: its return address lies in the function that raised the
// error (the error types' own constructors are inlined there).
__attribute__((noinline))
Exception::Exception(const char* typeName, ErrorKind kind, std::string message)
    : typeName_(typeName),
      kind_(kind),
      message_(std::move(message)),
      raisedAt_(__builtin_return_address(0)) {}

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
  return "I/O error " + Decimal(static_cast<long>(code));
}

}  // namespace services
