// Where the standard library's fault reports go in the shipped program. The
// library's own reporters build std::logic_error and its kin, and with them
// link <stdexcept> and a second, copy-on-write string: some 50 KB of a 64 KB
// program. Here a fault (a length past max_size, a string index out of
// range) raises the program's own error instead: the guards that swallow
// every error still do, and anything else ends in the last-chance box.
#include <new>

#include "system_services/errors.h"
#include "system_services/last_chance.h"

namespace {
[[noreturn]] void Raise() { throw services::Exception("Unexpected error"); }
}  // namespace

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_length_error(const char*) { Raise(); }
void __throw_logic_error(const char*) { Raise(); }
void __throw_out_of_range(const char*) { Raise(); }
void __throw_out_of_range_fmt(const char*, ...) { Raise(); }
void __throw_invalid_argument(const char*) { Raise(); }
// The checks of _GLIBCXX_ASSERTIONS (indexes, fronts and backs of empty
// strings): a failed one cannot raise, so it ends here.
void __glibcxx_assert_fail(const char*, int, const char*,
                           const char*) noexcept {
  services::LastChance(services::Exception("Unexpected error"));
}
}  // namespace std
