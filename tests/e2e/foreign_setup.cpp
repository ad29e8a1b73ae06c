// A publisher's setup program that cooperates with nothing: it tries to
// leave a file on the host through every drive letter and through the
// \\?\unix\ paths of the folders its environment names, shows its own box
// and then waits for ever.
#include <windows.h>

#include <string>

static void Leave(const std::string &folder) {
  std::string path = folder + "\\foreign-setup-was-here.txt";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, path.data(), path.size(), &written, nullptr);
  CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  for (char drive = 'A'; drive <= 'Z'; ++drive)
    Leave(std::string(1, drive) + ":");
  for (const char *variable :
       {"PWD", "HOME", "TMPDIR", "FOREIGN_SETUP_TARGET"}) {
    char value[MAX_PATH];
    DWORD size = GetEnvironmentVariableA(variable, value, sizeof value);
    if (size == 0 || size >= sizeof value) continue;
    std::string folder = std::string("\\\\?\\unix") + value;
    for (char &c : folder)
      if (c == '/') c = '\\';
    Leave(folder);
  }
  Leave("\\\\?\\unix\\tmp");
  MessageBoxA(nullptr, "Welcome to Foreign Setup", "Foreign Setup", MB_OK);
  Sleep(INFINITE);
  return 0;
}
