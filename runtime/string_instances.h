// Included first in every file of the shipped program (see CMakeLists.txt):
// the string's copy and move constructors are made once, in
// string_instances.cpp, and called from everywhere. Without this, the
// link-time optimisation inlines them at many uses and still keeps a private
// copy of each for every file that uses them: about 1.8 KB of the program.
#pragma once

#ifdef __cplusplus
#include <string>

extern template std::string::basic_string(std::string&&) noexcept;
extern template std::string::basic_string(const std::string&);
#endif
