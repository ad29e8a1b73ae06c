// observe.exe RECORD COMMAND_LINE
//
// Runs COMMAND_LINE (a medium's start program) as a debugger runs it, and
// writes to RECORD every program that it starts: image, command line and
// working directory, read from the new process before any of its code runs.
// The new process is then ended: the check learns what the start program
// started without running the publisher's setup on the checking machine.
// The exit code is the start program's own.
#include <windows.h>
#include <winternl.h>

#include <string>

namespace {

// The start of RTL_USER_PROCESS_PARAMETERS in a 32-bit process: the fields
// that say how the process was started.
struct ProcessParameters {
  ULONG maximum_length;
  ULONG length;
  ULONG flags;
  ULONG debug_flags;
  ULONG console[5];
  UNICODE_STRING current_directory;
  HANDLE current_directory_handle;
  UNICODE_STRING dll_path;
  UNICODE_STRING image_path;
  UNICODE_STRING command_line;
};
// Until the new process has started, its strings are offsets from the
// parameter block rather than addresses.
constexpr ULONG kParametersNormalized = 1;

using QueryProcess = NTSTATUS(WINAPI *)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG,
                                        PULONG);

std::wstring ReadText(HANDLE process, ULONG_PTR base,
                      const ProcessParameters &parameters,
                      const UNICODE_STRING &text) {
  ULONG_PTR address = reinterpret_cast<ULONG_PTR>(text.Buffer);
  if (!(parameters.flags & kParametersNormalized)) address += base;
  std::wstring out(text.Length / sizeof(wchar_t), L'\0');
  SIZE_T read = 0;
  if (!out.empty() &&
      !ReadProcessMemory(process, reinterpret_cast<void *>(address), &out[0],
                         text.Length, &read))
    return L"?";
  return out;
}

std::string Utf8(const std::wstring &text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0,
                                 nullptr, nullptr);
  std::string out(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr,
                      nullptr);
  out.resize(out.size() - 1);
  // One record line a value: a line break inside a value must not start a
  // new one.
  for (char &c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

class Record {
 public:
  explicit Record(const wchar_t *path)
      : file_(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          CREATE_ALWAYS, 0, nullptr)) {}
  ~Record() { CloseHandle(file_); }
  bool ok() const { return file_ != INVALID_HANDLE_VALUE; }
  void Write(const std::string &line) {
    DWORD written;
    std::string text = line + "\n";
    WriteFile(file_, text.data(), text.size(), &written, nullptr);
  }

 private:
  HANDLE file_;
};

struct Start {
  std::wstring program, command_line, directory;
};

// How a new process was started, read from its parameter block.
Start StartOf(HANDLE process) {
  static auto query = reinterpret_cast<QueryProcess>(GetProcAddress(
      GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess"));
  PROCESS_BASIC_INFORMATION basic{};
  ULONG_PTR base = 0;
  ProcessParameters parameters{};
  SIZE_T read = 0;
  bool known =
      query &&
      query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) >=
          0 &&
      ReadProcessMemory(process,
                        reinterpret_cast<char *>(basic.PebBaseAddress) +
                            offsetof(PEB, ProcessParameters),
                        &base, sizeof base, &read) &&
      ReadProcessMemory(process, reinterpret_cast<void *>(base), &parameters,
                        sizeof parameters, &read);
  if (!known) return {L"?", L"?", L"?"};
  return {ReadText(process, base, parameters, parameters.image_path),
          ReadText(process, base, parameters, parameters.command_line),
          ReadText(process, base, parameters, parameters.current_directory)};
}

// Wine starts its desktop process from the first program that shows a
// window: that one belongs to the system, not to the medium.
bool IsWineDesktop(const Start &start) {
  wchar_t system[MAX_PATH];
  UINT size = GetSystemDirectoryW(system, MAX_PATH);
  std::wstring explorer = std::wstring(system, size) + L"\\explorer.exe";
  return lstrcmpiW(start.program.c_str(), explorer.c_str()) == 0 &&
         start.command_line.find(L" /desktop") != std::wstring::npos;
}

void RecordStart(Record &record, const Start &start) {
  record.Write("program=" + Utf8(start.program));
  record.Write("command_line=" + Utf8(start.command_line));
  record.Write("directory=" + Utf8(start.directory));
  record.Write("end");
}

// The command line after the first N arguments, as the system split it.
const wchar_t *SkipArguments(const wchar_t *line, int count) {
  for (; count > 0; --count) {
    while (*line == L' ' || *line == L'\t') ++line;
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
      if (*line == L'"') quoted = !quoted;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 3) return 100;
  Record record(arguments[1]);
  if (!record.ok()) return 101;
  std::wstring command = SkipArguments(GetCommandLineW(), 2);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                      DEBUG_PROCESS, nullptr, nullptr, &startup, &started)) {
    record.Write("failed=" + std::to_string(GetLastError()));
    return 102;
  }
  DWORD exit_code = 0;
  for (int running = 0;;) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, INFINITE)) return 103;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        ++running;
        if (event.dwProcessId != started.dwProcessId) {
          Start start = StartOf(event.u.CreateProcessInfo.hProcess);
          if (IsWineDesktop(start)) {
            --running;
            DebugActiveProcessStop(event.dwProcessId);
          } else {
            RecordStart(record, start);
            TerminateProcess(event.u.CreateProcessInfo.hProcess, 0);
          }
        }
        if (event.u.CreateProcessInfo.hFile)
          CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The system's breakpoint at each start is ours to pass; every other
        // exception is the program's to handle.
        if (event.u.Exception.ExceptionRecord.ExceptionCode !=
            EXCEPTION_BREAKPOINT)
          status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        if (event.dwProcessId == started.dwProcessId) {
          exit_code = event.u.ExitProcess.dwExitCode;
          record.Write("exit_code=" + std::to_string(exit_code));
        }
        --running;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    if (running <= 0 && event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
      return static_cast<int>(exit_code);
  }
}
