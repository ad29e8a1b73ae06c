#include "windows/dll_search.h"

#include "windows/system_functions.h"

namespace services {

void NarrowDllSearch() {
  const KernelFunctions& kernel = Kernel32();
  if (kernel.SetDefaultDllDirectories &&
      kernel.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    return;
  if (kernel.SetDllDirectoryA) kernel.SetDllDirectoryA("");
}

}  // namespace services
