// The first-argument scan over any command line: it never reads past the
// text, never keeps a quote, and refuses only what is over 256 characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/errors.h"
#include "launcher/first_argument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string commandLine(reinterpret_cast<const char*>(data), size);
  try {
    std::string argument = launcher::FirstArgument(commandLine);
    if (argument.size() > 256 || argument.size() > commandLine.size() ||
        argument.find('"') != std::string::npos)
      __builtin_trap();
  } catch (const services::Exception& error) {
    if (commandLine.size() <= 256 ||
        std::string(error.TypeName()) != services::ETooLongError::kTypeName)
      __builtin_trap();
  }
  return 0;
}
