// A DLL that someone dropped beside the medium's program, under the name of a
// system library (the tests copy it as LZ32.DLL or as a library that a
// message box loads). When the system loads it, it appends its own path to
// the file named by LXV_PLANTED_RECORD. It exports the LZ functions so that
// a program importing LZ32.DLL would load with it; they all fail.
#include <windows.h>

namespace {
void RecordLoad(HMODULE self) {
  char record[MAX_PATH + 1] = {};
  DWORD length =
      GetEnvironmentVariableA("LXV_PLANTED_RECORD", record, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char path[MAX_PATH + 3] = {};
  DWORD size = GetModuleFileNameA(self, path, MAX_PATH);
  path[size++] = '\r';
  path[size++] = '\n';
  HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, path, size, &written, nullptr);
  CloseHandle(file);
}
}  // namespace

extern "C" {
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) RecordLoad(self);
  return TRUE;
}

__declspec(dllexport) INT WINAPI LZOpenFileA(LPSTR, LPOFSTRUCT, WORD) {
  return -1;
}
__declspec(dllexport) LONG WINAPI LZCopy(INT, INT) { return -1; }
__declspec(dllexport) void WINAPI LZClose(INT) {}
}
