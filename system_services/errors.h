// The program's error types: one family under Exception. Each error knows the
// type name that the last-chance box shows, and the code address that raised
// it.
#pragma once

#include <string>

namespace services {

class Exception {
 public:
  explicit Exception(std::string message);
  virtual ~Exception() = default;
  virtual const char* TypeName() const { return "Exception"; }
  const std::string& Message() const { return message_; }
  // The code address in the function that raised the error.
  const void* RaisedAt() const { return raisedAt_; }

 private:
  std::string message_;
  const void* raisedAt_;
};

// The types' constructors are always inlined, so that the base constructor is
// called from the raising function itself and finds its address there.
#define SERVICES_ERROR_TYPE(Name)                                     \
  class Name : public Exception {                                     \
   public:                                                            \
    __attribute__((always_inline)) explicit Name(std::string message) \
        : Exception(std::move(message)) {}                            \
    const char* TypeName() const override { return #Name; }           \
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

std::string InOutErrorText(unsigned long code);

// An I/O failure that carries the platform's error code.
class EInOutError : public Exception {
 public:
  __attribute__((always_inline)) explicit EInOutError(unsigned long code)
      : Exception(InOutErrorText(code)), code_(code) {}
  const char* TypeName() const override { return "EInOutError"; }
  unsigned long Code() const { return code_; }

 private:
  unsigned long code_;
};

}  // namespace services
