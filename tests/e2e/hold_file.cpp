// hold_file: opens the file named by HOLD_FILE_PATH with no sharing, as a
// program still running from it would keep it, prints "held", and keeps it
// until its input is closed. The path is not on the command line, so that no
// one takes the holder for the program it names.
#include <windows.h>

#include <cstdio>

int main() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetEnvironmentVariableA("HOLD_FILE_PATH", path, sizeof path);
  if (length == 0 || length >= sizeof path) return 2;
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
