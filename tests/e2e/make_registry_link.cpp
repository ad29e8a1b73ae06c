// make_registry_link KEY TARGET: makes HKEY_LOCAL_MACHINE\KEY a registry link
// to HKEY_LOCAL_MACHINE\TARGET, which `wine reg` cannot do.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HKEY link;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr,
                      REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr, &link,
                      nullptr) != ERROR_SUCCESS)
    return 1;
  std::string nt = std::string("\\Registry\\Machine\\") + argv[2];
  std::wstring value(nt.begin(), nt.end());
  LONG set = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                            reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size() * sizeof(wchar_t)));
  RegCloseKey(link);
  return set == ERROR_SUCCESS ? 0 : 1;
}
