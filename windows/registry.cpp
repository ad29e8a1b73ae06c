#include "windows/registry.h"

#include <windows.h>

#include "common/errors.h"
#include "common/text_pattern.h"
#include "common/texts.h"
#include "launcher_services/code_page_paths.h"
#include "windows/registry_values.h"
#include "windows/system_functions.h"
#include "windows/unique_handle.h"
#include "windows/windows_version.h"

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

// What deleting a key tree needs of each key: listing its subkeys and
// deleting it. Asking for more (all rights) fails where a policy grants no
// more than deletion.
constexpr REGSAM kDeletionRights =
    DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;

// The number of subkeys; 0 when the key cannot say.
DWORD SubkeyCount(HKEY key) {
  DWORD subkeys = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr, nullptr);
  return subkeys;
}

// On the 95 family, which has neither registry links nor names beyond the
// code page: deletes every subkey, deepest first, then the key.
void DeleteKey(HKEY base, const std::string& path) {
  if (UniqueKey key = OpenKey(base, path, kDeletionRights); key.valid()) {
    for (DWORD index = SubkeyCount(key.get()); index-- > 0;) {
      // A name has at most 255 characters, of up to two bytes each.
      char name[512];
      DWORD length = sizeof name;
      if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS)
        DeleteKey(key.get(), name);
    }
  }
  RegDeleteKeyA(base, path.c_str());
}

// The native call's counted name and object attributes.
struct NativeName {
  USHORT length;  // in bytes
  USHORT room;
  const wchar_t* text;
};
struct NativeObject {
  ULONG size;
  HANDLE root;
  const NativeName* name;
  ULONG attributes;
  void* security;
  void* qualityOfService;
};
constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE
constexpr ULONG kOpenLink = 0x100;        // OBJ_OPENLINK

// On the NT family: deletes the key named under parent, every subkey first,
// each by its handle. Every key is opened as itself (OBJ_OPENLINK): a
// registry link is then the link, which has no subkeys of its own, and goes
// as a link; following it would delete its target, outside the tree.
// Subkeys are named through the wide functions, so that a name that the code
// page cannot hold is found too.
void DeleteTree(HANDLE parent, const wchar_t* name, DWORD length,
                const NtdllFunctions& ntdll, const AdvapiFunctions& advapi) {
  NativeName native = {USHORT(length * 2), USHORT(length * 2), name};
  NativeObject object = {sizeof object, parent,
                         &native,       kCaseInsensitive | kOpenLink,
                         nullptr,       nullptr};
  UniqueKey key;
  if (ntdll.NtOpenKey(reinterpret_cast<PHANDLE>(key.put()), kDeletionRights,
                      &object) != 0)
    return;
  for (DWORD index = SubkeyCount(key.get()); index-- > 0;) {
    wchar_t subkey[256];  // a key name has at most 255 characters
    DWORD subkeyLength = 256;
    if (advapi.RegEnumKeyExW(key.get(), index, subkey, &subkeyLength, nullptr,
                             nullptr, nullptr, nullptr) == ERROR_SUCCESS)
      DeleteTree(key.get(), subkey, subkeyLength, ntdll, advapi);
  }
  ntdll.NtDeleteKey(key.get());
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
  const NtdllFunctions& ntdll = Ntdll();
  const AdvapiFunctions& advapi = Advapi32();
  if (!IsNtFamily() || !ntdll.NtOpenKey || !ntdll.NtDeleteKey ||
      !advapi.RegEnumKeyExW) {
    DeleteKey(base, path);
    return;
  }
  // The key is opened as itself under its parent, which the Win32 call opens
  // (and redirects, for a 32-bit program on a 64-bit system, as every read
  // is redirected).
  std::string::size_type cut = path.rfind('\\');
  std::string parentPath = cut == std::string::npos ? "" : path.substr(0, cut);
  wchar_t name[256];
  int length = MultiByteToWideChar(
      CP_ACP, 0, path.c_str() + parentPath.size() + (cut != std::string::npos),
      -1, name, 256);
  UniqueKey parent = OpenKey(base, parentPath, KEY_ENUMERATE_SUB_KEYS);
  if (parent.valid() && length > 1)
    DeleteTree(parent.get(), name, length - 1, ntdll, advapi);
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
