// The program's error types: one family under Exception. Each error knows the
// type name that the last-chance box shows, and the code address that raised
// it. An error is either raised, which the program does not come back from,
// or answered as a Fault to a caller that can go on without the result.
#pragma once

#include <optional>
#include <string>

namespace services {

class Exception {
 public:
  __attribute__((always_inline)) explicit Exception(std::string message)
      : Exception("Exception", std::move(message)) {}
  const char* TypeName() const { return typeName_; }
  const std::string& Message() const { return message_; }
  // The code address in the function that made the error.
  const void* RaisedAt() const { return raisedAt_; }

 protected:
  Exception(const char* typeName, std::string message);

 private:
  const char* typeName_;
  std::string message_;
  const void* raisedAt_;
};

// The types' constructors are always inlined, so that the base constructor is
// called from the raising function itself and finds its address there. They
// add no data: an error keeps its type when it is copied as an Exception.
#define SERVICES_ERROR_TYPE(Name)                                     \
  class Name : public Exception {                                     \
   public:                                                            \
    static constexpr char kTypeName[] = #Name;                        \
    __attribute__((always_inline)) explicit Name(std::string message) \
        : Exception(kTypeName, std::move(message)) {}                 \
  }

SERVICES_ERROR_TYPE(SystemError);
SERVICES_ERROR_TYPE(ERegistryException);
SERVICES_ERROR_TYPE(EConvertError);
SERVICES_ERROR_TYPE(EFCreateError);
SERVICES_ERROR_TYPE(EWriteError);
// A path or argument that does not fit the platform buffers; refused rather
// than cut into another path.
SERVICES_ERROR_TYPE(ETooLongError);
// A path that the code page cannot hold and that has no short form to use.
SERVICES_ERROR_TYPE(EUnusablePathError);

#undef SERVICES_ERROR_TYPE

std::string InOutErrorText(unsigned long code);

// An I/O failure, named by the platform's error code.
class EInOutError : public Exception {
 public:
  static constexpr char kTypeName[] = "EInOutError";
  __attribute__((always_inline)) explicit EInOutError(unsigned long code)
      : Exception(kTypeName, InOutErrorText(code)) {}
};

// Ends the run on an error: the program shows the error's box and exits.
// Defined by the program (and by the tests, which throw the error instead).
[[noreturn]] void Raise(const Exception& error);

// An error that the caller may survive; empty when the call succeeded.
using Fault = std::optional<Exception>;

inline void RaiseFault(const Fault& fault) {
  if (fault) Raise(*fault);
}

}  // namespace services
