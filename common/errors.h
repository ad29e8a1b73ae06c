// The program's error types: one family under Exception. Each error knows the
// type name that the last-chance box shows, the code address that raised it,
// and its kind. An error is either raised, which the program does not come
// back from, or answered as a Fault to a caller that can go on without the
// result.
#pragma once

#include <optional>
#include <string>

namespace services {

enum class TextId : unsigned char;  // common/text_id.h

[[noreturn]] void RefuseAs(const char* typeName, TextId id,
                           const std::string& name);

// How a raised error ends the run. A refusal (a path, an argument or a
// folder that the launcher cannot use now) is no fault of the program: its box
// says that nothing was started, and the exit code is 0. A fault ends in the
// last-chance box with exit code 1.
enum class ErrorKind : unsigned char { kFault, kRefusal };

class Exception {
 public:
  __attribute__((always_inline)) explicit Exception(std::string message)
      : Exception("Exception", ErrorKind::kFault, std::move(message)) {}
  const char* TypeName() const { return typeName_; }
  ErrorKind Kind() const { return kind_; }
  const std::string& Message() const { return message_; }
  // The code address in the function that made the error.
  const void* RaisedAt() const { return raisedAt_; }

 protected:
  friend void RefuseAs(const char*, TextId, const std::string&);
  __attribute__((noinline))
  Exception(const char* typeName, ErrorKind kind, std::string message);

 private:
  const char* typeName_;
  ErrorKind kind_;
  std::string message_;
  const void* raisedAt_;
};

// The types' constructors are always inlined, so that the base constructor is
// called from the raising function itself and finds its address there. They
// add no data: an error keeps its type when it is copied as an Exception.
#define SERVICES_ERROR_TYPE(Name, Kind)                                \
  class Name : public Exception {                                      \
   public:                                                             \
    static constexpr char kTypeName[] = #Name;                         \
    __attribute__((always_inline)) explicit Name(std::string message)  \
        : Exception(kTypeName, ErrorKind::Kind, std::move(message)) {} \
  }

SERVICES_ERROR_TYPE(SystemError, kFault);
SERVICES_ERROR_TYPE(ERegistryException, kFault);
SERVICES_ERROR_TYPE(EConvertError, kFault);
SERVICES_ERROR_TYPE(EFCreateError, kFault);
SERVICES_ERROR_TYPE(EWriteError, kFault);
// A path or argument that does not fit the platform buffers; refused rather
// than cut into another path.
SERVICES_ERROR_TYPE(ETooLongError, kRefusal);
// A path that the code page cannot hold and that has no short form to use,
// or a form of path that the launcher cannot hand on.
SERVICES_ERROR_TYPE(EUnusablePathError, kRefusal);
// Something that another program holds longer than a launcher waits.
SERVICES_ERROR_TYPE(EBusyError, kRefusal);

#undef SERVICES_ERROR_TYPE

// Raises a refusal of type Refusal (one of the three above) whose message is
// the text of id, with name in its %s: one call where each place would
// build the text and the error itself. A refusal's box shows no address, so
// it may be made here rather than where it is raised. (RefuseAs, declared
// above for the base to befriend, is the one that it calls.)
template <typename Refusal>
[[noreturn]] void Refuse(TextId id, const std::string& name = std::string()) {
  RefuseAs(Refusal::kTypeName, id, name);
}

std::string InOutErrorText(unsigned long code);

// An I/O failure, named by the platform's error code.
class EInOutError : public Exception {
 public:
  static constexpr char kTypeName[] = "EInOutError";
  __attribute__((always_inline)) explicit EInOutError(unsigned long code)
      : Exception(kTypeName, ErrorKind::kFault, InOutErrorText(code)) {}
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
