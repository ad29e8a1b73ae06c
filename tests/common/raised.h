// What a call raised, or what a fault holds, as "Type: message".
#pragma once

#include <string>

#include "common/errors.h"

inline std::string Described(const services::Fault& fault) {
  return fault ? std::string(fault->TypeName()) + ": " + fault->Message() : "";
}

// Empty when the call raises nothing.
template <typename Call>
std::string Raised(Call call) {
  try {
    call();
  } catch (const services::Exception& error) {
    return Described(error);
  }
  return "";
}
