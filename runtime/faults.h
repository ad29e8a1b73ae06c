// The ends of the faults that the program cannot go on from: each shows the
// last-chance box.
#pragma once

namespace runtime {
[[noreturn]] void OutOfMemory();
}  // namespace runtime
