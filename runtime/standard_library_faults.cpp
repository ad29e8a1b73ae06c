// Where the standard library's faults go in the shipped program, which is
// built without C++ exceptions. The library's own reporters build
// std::logic_error and its kin, and with them link <stdexcept>, a second,
// copy-on-write string and the unwinder: most of the program. Here a fault (a
// length past max_size, a string index out of range, no memory) ends the
// program in the last-chance box.
#include "common/errors.h"
#include "common/texts.h"
#include "faults.h"
#include "launcher_services/last_chance.h"

namespace {
[[noreturn]] void Unexpected() {
  services::Raise(
      services::Exception(services::Text(services::TextId::kUnexpectedError)));
}
}  // namespace

namespace runtime {
// No error object: its message would need memory.
__attribute__((noinline)) void OutOfMemory() {
  services::LastChanceOutOfMemory(__builtin_return_address(0));
}
}  // namespace runtime

namespace std {
void __throw_bad_alloc() { runtime::OutOfMemory(); }
void __throw_bad_array_new_length() { runtime::OutOfMemory(); }
void __throw_length_error(const char*) { Unexpected(); }
void __throw_logic_error(const char*) { Unexpected(); }
void __throw_out_of_range(const char*) { Unexpected(); }
void __throw_out_of_range_fmt(const char*, ...) { Unexpected(); }
void __throw_invalid_argument(const char*) { Unexpected(); }
// The checks of _GLIBCXX_ASSERTIONS (indexes, fronts and backs of empty
// strings).
void __glibcxx_assert_fail(const char*, int, const char*,
                           const char*) noexcept {
  Unexpected();
}
}  // namespace std
