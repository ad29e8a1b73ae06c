#include "windows/launcher_process.h"

#include <windows.h>

#include "common/native_names.h"
#include "windows/system_functions.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
constexpr ULONG kProcessImageFileName = 27;

// A process's program path as the system keeps it: a counted wide text,
// then room for it.
struct ImagePath {
  USHORT length;  // in bytes
  USHORT room;
  const wchar_t* text;
  wchar_t buffer[512];

  bool Read(HANDLE process) {
    auto query = Ntdll().NtQueryInformationProcess;
    return query && query(process, kProcessImageFileName, this, sizeof *this,
                          nullptr) == 0;
  }
};

// Where the process's program has the name that this program has; true
// where the system cannot tell this program's own.
bool HasThisProgramsName(HANDLE process) {
  ImagePath own, other;
  if (!own.Read(kThisProcess)) return true;
  if (!other.Read(process)) return false;
  std::size_t start = own.length / 2;
  while (start > 0 && own.text[start - 1] != L'\\') --start;
  return LastComponentIs(other.text, other.length / 2, own.text + start,
                         own.length / 2 - start);
}
}  // namespace

bool IsRunningLauncher(unsigned long processId) {
  // Limited querying (Vista on) is granted for an elevated process too;
  // older systems know only the full right.
  UniqueKernelObject process(OpenProcess(
      SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process.valid())
    process.reset(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
  return process.valid() &&
         WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT &&
         HasThisProgramsName(process.get());
}

}  // namespace services
