// Texts made from a pattern: every message with a name or a number in it is
// written as one pattern, with "%s" where each goes.
#pragma once

#include <string>

namespace services {

// The pattern with its first "%s" replaced by first and its second by
// second; a "%s" past those stays.
std::string Substitute(const char* pattern, const std::string& first,
                       const std::string& second);
// The same with one name: a "%s" past it stays.
std::string Substitute(const char* pattern, const std::string& first);

// A number in decimal digits, with a '-' when negative.
std::string Decimal(long value);

}  // namespace services
