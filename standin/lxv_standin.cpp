// Stand-in for the main application "Lxv.Exe".
//
// Started with a medium directory (setup mode) it installs itself as a real
// setup would: copies itself and its library to the install directory,
// creates the data directory and registers its uninstaller under the current
// user. Started without arguments (installed mode) it installs the modules
// named in "AutoLoad.Lst" into the data directory, deletes the list and says
// in one box what it installed.
//
// Every start appends a record to the file named by LXV_STANDIN_RECORD: its
// command line, current directory, whether its library loaded beside it, and
// what it did. LXV_STANDIN_INSTALL_DIR and LXV_STANDIN_DATA_DIR override the
// default directories. A setup runs on (two minutes at most) while the file
// named by LXV_STANDIN_SETUP_HOLD exists; the installed application takes its
// list LXV_STANDIN_TAKE_LATE_MS milliseconds late.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kDisplayName[] = "Lexivane 9.1";
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";

std::string EnvironmentValue(const char* name, const char* fallback) {
  char value[1024] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return (length > 0 && length < sizeof value) ? std::string(value, length)
                                               : std::string(fallback);
}

std::string InstallDirectory() {
  return EnvironmentValue("LXV_STANDIN_INSTALL_DIR",
                          "C:\\Program Files\\Lexivane\\");
}

std::string DataDirectory() {
  return EnvironmentValue("LXV_STANDIN_DATA_DIR", "C:\\Lexivane Data\\");
}

std::string ProgramDirectory() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory = path;
  return directory.erase(directory.rfind('\\') + 1);
}

std::string CurrentDirectory() {
  char directory[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  return directory;
}

std::string NamePart(const std::string& path) {
  std::string::size_type slash = path.find_last_of("\\:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool LibraryLoadsBesideProgram() {
  HMODULE module = LoadLibraryA((ProgramDirectory() + "Pyrn.DLL").c_str());
  bool loads = module && GetProcAddress(module, "PyrnVersion");
  if (module) FreeLibrary(module);
  return loads;
}

// Creates every missing folder of a path that ends with '\'.
void CreateFolders(const std::string& directory) {
  for (std::string::size_type i = 3; i < directory.size(); ++i)
    if (directory[i] == '\\')
      CreateDirectoryA(directory.substr(0, i).c_str(), nullptr);
}

std::string ReadText(const std::string& file) {
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(handle);
  return text;
}

void AppendRecord(const std::string& text) {
  std::string file = EnvironmentValue("LXV_STANDIN_RECORD", "");
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

void SetText(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

// A real installer writes its files anew: the installed program is dated now.
void DateNow(const std::string& file) {
  HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(handle, nullptr, nullptr, &now);
  CloseHandle(handle);
}

// Setup mode: what the installer of the real application leaves behind.
std::string InstallItself() {
  std::string install = InstallDirectory();
  std::string data = DataDirectory();
  CreateFolders(install);
  CreateFolders(data);
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  bool copied = CopyFileA(self, (install + "Lxv.Exe").c_str(), FALSE) &&
                CopyFileA((ProgramDirectory() + "Pyrn.DLL").c_str(),
                          (install + "Pyrn.DLL").c_str(), FALSE);
  DateNow(install + "Lxv.Exe");
  std::string quotedData =
      data.find(' ') == std::string::npos ? data : '"' + data + '"';
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0,
                      KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    SetText(key, "DisplayName", kDisplayName);
    SetText(key, "UninstallString", install + "LxvDel.Exe /u x " + quotedData);
    RegCloseKey(key);
  }
  return std::string("installed=") + (copied ? install : "failed") +
         "\ndata=" + data + "\n";
}

// Installed mode: takes the modules that the medium's start program listed.
std::string InstallModules() {
  Sleep(atoi(EnvironmentValue("LXV_STANDIN_TAKE_LATE_MS", "0").c_str()));
  std::string data = DataDirectory();
  std::string list = data + "AutoLoad.Lst";
  std::string text = ReadText(list);
  if (text.empty()) {
    list = ProgramDirectory() + "AutoLoad.Lst";
    text = ReadText(list);
  }
  std::string record = "list_file=" + (text.empty() ? "none" : list) + "\n";
  if (text.empty()) {
    MessageBoxA(nullptr, "Lexivane is ready. No modules were waiting.",
                "Lexivane", MB_OK);
    return record;
  }
  std::vector<std::string> installed;
  std::string::size_type start = 0;
  std::string lines;
  while (start < text.size()) {
    std::string::size_type end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 2;
    lines += (lines.empty() ? "" : "|") + line;
    if (line == "Setup 2.0") continue;
    if (CopyFileA(line.c_str(), (data + NamePart(line)).c_str(), FALSE))
      installed.push_back(NamePart(line));
  }
  DeleteFileA(list.c_str());
  std::string names;
  for (const std::string& name : installed)
    names += (names.empty() ? "" : ", ") + name;
  MessageBoxA(nullptr, ("Installed modules: " + names).c_str(), "Lexivane",
              MB_OK);
  return record + "list=" + lines + "\nmodules=" + names + "\n";
}

// True when the command line carries an argument after the program's name.
bool HasArgument(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    p = strchr(p + 1, '"');
    p = p ? p + 1 : commandLine + strlen(commandLine);
  } else {
    while (*p > ' ') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return *p != '\0';
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* commandLine = GetCommandLineA();
  std::string record = std::string("command_line=") + commandLine +
                       "\ndirectory=" + CurrentDirectory() + "\nlibrary=" +
                       (LibraryLoadsBesideProgram() ? "loaded" : "missing") +
                       "\n";
  std::string hold = EnvironmentValue("LXV_STANDIN_SETUP_HOLD", "");
  for (int i = 0; HasArgument(commandLine) && !hold.empty() && i < 1200 &&
                  GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES;
       ++i)
    Sleep(100);
  record += HasArgument(commandLine) ? InstallItself() : InstallModules();
  AppendRecord(record + "end\n");
  return 0;
}
