// The program's load configuration: its one setting is the search path for
// the DLLs that the program imports. Windows 10 1607 and later then take
// them from the system directory only, never from the medium's folder. Older
// systems find nothing else set here; Windows 95 does not read it at all.
#include <windows.h>

namespace {
// Only the first 64 bytes, the record's size up to and including the field
// that newer systems name DependentLoadFlags (Reserved1 in older headers):
// Windows XP expects that size on 32-bit programs.
constexpr DWORD kLoadConfigSize = 64;
constexpr WORD kSearchSystem32Only = LOAD_LIBRARY_SEARCH_SYSTEM32;

// Built at compile time: the system reads the record before any of the
// program's code runs.
constexpr IMAGE_LOAD_CONFIG_DIRECTORY32 LoadConfig() {
  IMAGE_LOAD_CONFIG_DIRECTORY32 config = {};
  config.Size = kLoadConfigSize;
  config.Reserved1 = kSearchSystem32Only;
  return config;
}
}  // namespace

// The linker looks for this name; scripts/set-load-config.py points the
// image's load-configuration directory at it after the link.
extern "C" const IMAGE_LOAD_CONFIG_DIRECTORY32 _load_config_used = LoadConfig();
