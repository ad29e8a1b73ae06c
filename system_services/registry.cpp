#include "registry.h"

#include <windows.h>

#include <vector>

#include "errors.h"
#include "registry_values.h"
#include "system_library.h"
#include "unique_handle.h"

namespace services {

namespace {
std::string WithoutLeadingBackslash(const std::string& path) {
  return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

// Reading needs read rights only: with all rights a standard user could not
// open a machine-wide key at all, and would take an installed copy for none.
UniqueKey OpenKey(HKEY base, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(base, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

// NtDeleteKey: the one call that removes a registry link itself, on the NT
// family, the only one that has links.
using DeleteKeyHandle = LONG(WINAPI*)(HANDLE);

DeleteKeyHandle LinkDeleter() {
  DeleteKeyHandle deleteKey = nullptr;
  ResolveFunction(GetModuleHandleA("ntdll.dll"), "NtDeleteKey", deleteKey);
  return deleteKey;
}

// When path names a registry link, removes the link (never what it points
// to) and answers true.
bool DeletedAsLink(HKEY base, const std::string& path) {
  DeleteKeyHandle deleteKey = LinkDeleter();
  if (!deleteKey) return false;
  UniqueKey link;
  if (RegOpenKeyExA(base, path.c_str(), REG_OPTION_OPEN_LINK,
                    KEY_QUERY_VALUE | DELETE, link.put()) != ERROR_SUCCESS)
    return false;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(link.get(), "SymbolicLinkValue", nullptr, &type, nullptr,
                       nullptr) != ERROR_SUCCESS ||
      type != REG_LINK)
    return false;
  deleteKey(link.get());
  return true;
}

// A key name has at most 255 characters, of up to four bytes each.
constexpr DWORD kLongestKeyNameBytes = 1024;

// The name of the subkey at index. The longest length is counted in
// characters, and a double-byte name needs more bytes: the buffer grows until
// the name fits.
bool SubkeyName(HKEY key, DWORD index, DWORD longest, std::string& name) {
  for (DWORD size = longest + 1;; size *= 2) {
    std::vector<char> buffer(size + 1, '\0');
    DWORD length = size;
    LONG result = RegEnumKeyExA(key, index, buffer.data(), &length, nullptr,
                                nullptr, nullptr, nullptr);
    if (result == ERROR_SUCCESS) {
      name.assign(buffer.data(), length);
      return true;
    }
    if (result != ERROR_MORE_DATA || size > kLongestKeyNameBytes) return false;
  }
}

// Deletes every subkey, deepest first, then the key; answers whether the key
// itself went. A link is removed as a link: following it would delete its
// target, outside the tree.
bool DeleteKey(HKEY base, const std::string& path) {
  if (DeletedAsLink(base, path)) return true;
  if (UniqueKey key = OpenKey(base, path, KEY_ALL_ACCESS); key.valid()) {
    DWORD subkeys = 0;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys,
                         &longest, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr) == ERROR_SUCCESS) {
      for (DWORD index = subkeys; index-- > 0;) {
        std::string name;
        if (SubkeyName(key.get(), index, longest, name))
          DeleteKey(key.get(), name);
      }
    }
  }
  return RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS;
}
}  // namespace

Fault ReadTextValue(HKEY key, const std::string& valueName, std::string& answer,
                    QueryValueFunction query) {
  DWORD type = 0;
  DWORD size = 0;
  if (query(key, valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      static_cast<LONG>(size) <= 0) {
    answer.clear();
    return std::nullopt;
  }
  // Texts past the registry's own limit for a value are refused unread: the
  // program would end for want of memory instead.
  bool fits = size <= kLongestTextValue;
  answer.assign(fits ? size : 0, '\0');
  if (!fits ||
      query(key, valueName.c_str(), nullptr, &type,
            reinterpret_cast<BYTE*>(&answer[0]), &size) != ERROR_SUCCESS)
    return ERegistryException("Failed to get data for '" + valueName + "'");
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return ERegistryException("Invalid data type for '" + valueName + "'");
  // The stored text need not end with a NUL; the answer never runs past it.
  std::string::size_type nul = answer.find('\0');
  if (nul != std::string::npos) answer.resize(nul);
  return std::nullopt;
}

Fault ReadRegistryString(const std::string& valueName,
                         const std::string& keyPath, RegistryRoot root,
                         std::string& answer) {
  HKEY base = root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE
                                                  : HKEY_CURRENT_USER;
  UniqueKey key = OpenKey(base, WithoutLeadingBackslash(keyPath), KEY_READ);
  if (!key.valid()) {
    answer.clear();
    return std::nullopt;
  }
  return ReadTextValue(key.get(), valueName, answer);
}

void DeleteRegistryTree(const std::string& keyPath, bool machineWide) {
  DeleteKey(machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
            WithoutLeadingBackslash(keyPath));
}

}  // namespace services
