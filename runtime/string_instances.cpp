// The one copy of the string constructors that string_instances.h declares.
#include "string_instances.h"

template std::string::basic_string(std::string&&) noexcept;
template std::string::basic_string(const std::string&);
