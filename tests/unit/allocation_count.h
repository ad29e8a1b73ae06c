// How many times the unit tests' program has allocated memory so far
// (allocation_count.cpp replaces the global allocation functions).
#pragma once

#include <cstddef>

extern std::size_t allocations;
