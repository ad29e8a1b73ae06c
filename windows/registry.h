// Generic registry access: reading a text value and deleting a key tree.
#pragma once

#include <string>

#include "common/errors.h"

namespace services {

enum class RegistryRoot { kCurrentUser, kLocalMachine, kUsers };

// Reads a text value into answer; empty when the key or value is missing.
// A value that is not text, cannot be read or is too long answers
// ERegistryException (see ReadTextValue).
[[nodiscard]] Fault ReadRegistryString(const std::string& valueName,
                                       const std::string& keyPath,
                                       RegistryRoot root, std::string& answer);

// The same value read through the wide functions, in UTF-8, where the code
// page cannot hold it (NT family only); empty where it can, or where the
// value is missing or no text.
std::string ReadTextBeyondCodePage(const std::string& valueName,
                                   const std::string& keyPath,
                                   RegistryRoot root);

// Deletes the key and all its subkeys; failures are silent.
void DeleteRegistryTree(const std::string& keyPath, bool machineWide);

}  // namespace services
