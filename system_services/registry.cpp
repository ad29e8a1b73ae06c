#include "registry.h"

#include <windows.h>

#include "code_page_paths.h"
#include "errors.h"
#include "registry_values.h"
#include "system_functions.h"
#include "text_pattern.h"
#include "texts.h"
#include "unique_handle.h"
#include "windows_version.h"

namespace services {

namespace {
std::string WithoutLeadingBackslash(const std::string& path) {
  return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE
         : root == RegistryRoot::kUsers      ? HKEY_USERS
                                             : HKEY_CURRENT_USER;
}

// Reading needs read rights only: with all rights a standard user could not
// open a machine-wide key at all, and would take an installed copy for none.
UniqueKey OpenKey(HKEY base, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(base, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

// A key name has at most 255 characters, of up to four bytes each.
constexpr DWORD kLongestKeyNameBytes = 1024;

// The name of the subkey at index. The longest length is counted in
// characters, and a double-byte name needs more bytes: the buffer grows until
// the name fits.
bool SubkeyName(HKEY key, DWORD index, DWORD longest, std::string& name) {
  for (DWORD size = longest + 1;; size *= 2) {
    std::string buffer(size + 1, '\0');
    DWORD length = size;
    LONG result = RegEnumKeyExA(key, index, &buffer[0], &length, nullptr,
                                nullptr, nullptr, nullptr);
    if (result == ERROR_SUCCESS) {
      name.assign(buffer.data(), length);
      return true;
    }
    if (result != ERROR_MORE_DATA || size > kLongestKeyNameBytes) return false;
  }
}

// On the 95 family, which has neither registry links nor names beyond the
// code page: deletes every subkey, deepest first, then the key; answers
// whether the key itself went.
bool DeleteKey(HKEY base, const std::string& path) {
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

// On the NT family: deletes every subkey of the key, deepest first, then the
// key itself, each by its handle. Subkeys are named through the wide
// functions, so that a name that the code page cannot hold is found too;
// every key is opened as a link where it is one, and a link is removed as a
// link: following it would delete its target, outside the tree.
void DeleteTree(HKEY key, const AdvapiFunctions& advapi,
                LONG(WINAPI* deleteKey)(HANDLE)) {
  DWORD type = REG_NONE;
  bool isLink = RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type,
                                 nullptr, nullptr) == ERROR_SUCCESS &&
                type == REG_LINK;
  DWORD subkeys = 0;
  if (!isLink && RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys,
                                  nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr) == ERROR_SUCCESS) {
    for (DWORD index = subkeys; index-- > 0;) {
      wchar_t name[256];  // a key name has at most 255 characters
      DWORD length = 256;
      UniqueKey subkey;
      if (advapi.RegEnumKeyExW(key, index, name, &length, nullptr, nullptr,
                               nullptr, nullptr) == ERROR_SUCCESS &&
          advapi.RegOpenKeyExW(key, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                               subkey.put()) == ERROR_SUCCESS)
        DeleteTree(subkey.get(), advapi, deleteKey);
    }
  }
  deleteKey(key);
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
    return ERegistryException(
        Substitute(Text(TextId::kRegistryDataUnreadable), valueName));
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return ERegistryException(
        Substitute(Text(TextId::kRegistryDataNotText), valueName));
  // The stored text need not end with a NUL; the answer never runs past it.
  std::string::size_type nul = answer.find('\0');
  if (nul != std::string::npos) answer.resize(nul);
  return std::nullopt;
}

Fault ReadRegistryString(const std::string& valueName,
                         const std::string& keyPath, RegistryRoot root,
                         std::string& answer) {
  UniqueKey key =
      OpenKey(RootKey(root), WithoutLeadingBackslash(keyPath), KEY_READ);
  if (!key.valid()) {
    answer.clear();
    return std::nullopt;
  }
  return ReadTextValue(key.get(), valueName, answer);
}

void DeleteRegistryTree(const std::string& keyPath, bool machineWide) {
  HKEY base = machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  std::string path = WithoutLeadingBackslash(keyPath);
  const AdvapiFunctions& advapi = Advapi32();
  auto deleteKey = Ntdll().NtDeleteKey;
  if (!IsNtFamily() || !advapi.RegEnumKeyExW || !advapi.RegOpenKeyExW ||
      !deleteKey) {
    DeleteKey(base, path);
    return;
  }
  UniqueKey key;
  if (RegOpenKeyExA(base, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                    key.put()) == ERROR_SUCCESS)
    DeleteTree(key.get(), advapi, deleteKey);
}

std::string ReadTextBeyondCodePage(const std::string& valueName,
                                   const std::string& keyPath,
                                   RegistryRoot root) {
  auto query = Advapi32().RegQueryValueExW;
  UniqueKey key =
      IsNtFamily() && query
          ? OpenKey(RootKey(root), WithoutLeadingBackslash(keyPath), KEY_READ)
          : UniqueKey();
  if (!key.valid()) return std::string();
  // The names read here are short, and ASCII.
  wchar_t name[32] = {};
  for (std::size_t i = 0; i < valueName.size() && i < 31; ++i)
    name[i] = static_cast<unsigned char>(valueName[i]);
  DWORD type = 0;
  DWORD size = 0;
  if (query(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > kLongestTextValue)
    return std::string();
  std::string bytes(size, '\0');
  if (query(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]),
            &size) != ERROR_SUCCESS)
    return std::string();
  // The stored text need not end with a NUL; it is never read past.
  auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
  int length = 0;
  while (length < static_cast<int>(size / sizeof(wchar_t)) && text[length])
    ++length;
  return Utf8BeyondCodePage(text, length);
}

}  // namespace services
