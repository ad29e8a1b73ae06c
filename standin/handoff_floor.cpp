// The least that a hand-off of a medium's modules takes: a program with the
// launcher's DLLs that lists the medium in drive D: and writes the same list,
// the module files' paths and "Setup 2.0", each line ended by CR LF, into
// "C:\Lexivane Data\AutoLoad.Lst", in one write. The benchmark's floor.
#include <windows.h>

#include <string>

namespace {
// Referenced, never called: the imports stay, as in the baseline.
FARPROC const volatile kImports[] = {reinterpret_cast<FARPROC>(&MessageBoxA),
                                     reinterpret_cast<FARPROC>(&RegCloseKey)};

bool IsModule(const char* name) {
  std::string text(name);
  return text.find("604") != std::string::npos ||
         text.find("304") != std::string::npos;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string list;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("D:\\*.*", &entry);
  if (find == INVALID_HANDLE_VALUE) return 1;
  do
    if (IsModule(entry.cFileName))
      list += std::string("D:\\") + entry.cFileName + "\r\n";
  while (FindNextFileA(find, &entry));
  FindClose(find);
  list += "Setup 2.0\r\n";
  HANDLE file = CreateFileA("C:\\Lexivane Data\\AutoLoad.Lst", GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, list.data(), list.size(), &written, nullptr);
  CloseHandle(file);
  return ok && kImports[0] ? 0 : 1;
}
