#include "common/errors.h"

#include "common/text_pattern.h"
#include "common/texts.h"

namespace services {

// Never inlined: its return address lies in the function that raised the
// error (the error types' own constructors are inlined there).
__attribute__((noinline))
Exception::Exception(const char* typeName, ErrorKind kind, std::string message)
    : typeName_(typeName),
      kind_(kind),
      message_(std::move(message)),
      raisedAt_(__builtin_return_address(0)) {}

void RefuseAs(const char* typeName, TextId id, const std::string& name) {
  Raise(Exception(typeName, ErrorKind::kRefusal, Substitute(Text(id), name)));
}

std::string InOutErrorText(unsigned long code) {
  switch (code) {
    case 2:
      return Text(TextId::kFileNotFound);
    case 3:
      return Text(TextId::kInvalidFilename);
    case 4:
      return Text(TextId::kTooManyOpenFiles);
    case 5:
      return Text(TextId::kFileAccessDenied);
    case 100:
      return Text(TextId::kReadBeyondEndOfFile);
    case 101:
      return Text(TextId::kDiskFull);
    case 106:
      return Text(TextId::kInvalidNumericInput);
  }
  return Substitute(Text(TextId::kIoError), Decimal(static_cast<long>(code)));
}

}  // namespace services
