// The program's error types: one family under Exception. Each error knows the
// type name that the last-chance box shows, and where in the code it was made.
#pragma once

#include <string>

namespace services {

class Exception {
 public:
  explicit Exception(std::string message);
  virtual ~Exception() = default;
  virtual const char* TypeName() const { return "Exception"; }
  const std::string& Message() const { return message_; }
  // Offset of the raising code from the program's image base.
  unsigned long CodeOffset() const { return codeOffset_; }

 private:
  std::string message_;
  unsigned long codeOffset_;
};

#define SERVICES_ERROR_TYPE(Name)                           \
  class Name : public Exception {                           \
   public:                                                  \
    using Exception::Exception;                             \
    const char* TypeName() const override { return #Name; } \
  }

SERVICES_ERROR_TYPE(SystemError);
SERVICES_ERROR_TYPE(ERegistryException);
SERVICES_ERROR_TYPE(EConvertError);
SERVICES_ERROR_TYPE(EFCreateError);
SERVICES_ERROR_TYPE(EWriteError);
// A path or argument that does not fit the platform buffers; refused rather
// than cut into another path.
SERVICES_ERROR_TYPE(ETooLongError);

#undef SERVICES_ERROR_TYPE

// An I/O failure that carries the platform's error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(unsigned long code);
  const char* TypeName() const override { return "EInOutError"; }
  unsigned long Code() const { return code_; }

 private:
  unsigned long code_;
};

std::string InOutErrorText(unsigned long code);

}  // namespace services
