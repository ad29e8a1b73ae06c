// Stand-in for the main application "Lxv.Exe". It appends to the file named by
// LXV_STANDIN_RECORD how it was started: its command line, its current
// directory and whether its companion library loaded beside it.
#include <windows.h>

#include <string>

namespace {

std::string EnvironmentValue(const char* name) {
  char value[1024] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return (length > 0 && length < sizeof value) ? std::string(value, length)
                                               : std::string();
}

std::string CurrentDirectory() {
  char directory[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  return directory;
}

bool LibraryLoadsBesideProgram() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string library = path;
  library.erase(library.rfind('\\') + 1);
  library += "Pyrn.DLL";
  HMODULE module = LoadLibraryA(library.c_str());
  bool loads = module && GetProcAddress(module, "PyrnVersion");
  if (module) FreeLibrary(module);
  return loads;
}

void AppendRecord(const std::string& text) {
  std::string file = EnvironmentValue("LXV_STANDIN_RECORD");
  if (file.empty()) return;
  HANDLE handle =
      CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
  CloseHandle(handle);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  AppendRecord(std::string("command_line=") + GetCommandLineA() +
               "\ndirectory=" + CurrentDirectory() + "\nlibrary=" +
               (LibraryLoadsBesideProgram() ? "loaded" : "missing") +
               "\nend\n");
  return 0;
}
