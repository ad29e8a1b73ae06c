// observe.exe RECORD COMMAND_LINE
//
// Runs COMMAND_LINE (a medium's start program) and writes to RECORD every
// Windows program that it starts, however it starts it: program, command
// line and working directory, read from the new process. The new process is
// then ended: the check learns what the start program started without
// running the publisher's setup on the checking machine. The exit code is
// the start program's own.
//
// The observer is the start program's debugger, so each program started
// from it is held before its first instruction, recorded and ended. A
// program started under a debugger of its own (DEBUG_ONLY_THIS_PROCESS,
// then let go) is not held by the observer; but every program started from
// the start program joins its job object (Wine refuses to let one break
// away), whose completion port reports each new process at once: that one
// is recorded and ended as soon as its start can be read, which is when its
// debugger first hears of it, before its own code runs.
#include <windows.h>

#include <set>
#include <string>

#include "process_start.h"

namespace {

// The record file, written from the debugger's loop and the job's thread.
class Record {
 public:
  explicit Record(const wchar_t *path)
      : file_(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          CREATE_ALWAYS, 0, nullptr)) {
    InitializeCriticalSection(&lock_);
  }
  ~Record() { CloseHandle(file_); }
  bool ok() const { return file_ != INVALID_HANDLE_VALUE; }

  // One record a process, whichever way saw it first.
  void Started(DWORD id, const Start &start) {
    EnterCriticalSection(&lock_);
    if (recorded_.insert(id).second)
      Write("program=" + OneLineUtf8(start.program) +
            "\ncommand_line=" + OneLineUtf8(start.command_line) +
            "\ndirectory=" + OneLineUtf8(start.directory) + "\nend");
    LeaveCriticalSection(&lock_);
  }
  bool Has(DWORD id) {
    EnterCriticalSection(&lock_);
    bool has = recorded_.count(id) != 0;
    LeaveCriticalSection(&lock_);
    return has;
  }
  void Write(const std::string &line) {
    DWORD written;
    std::string text = line + "\n";
    EnterCriticalSection(&lock_);
    WriteFile(file_, text.data(), text.size(), &written, nullptr);
    LeaveCriticalSection(&lock_);
  }

 private:
  HANDLE file_;
  CRITICAL_SECTION lock_;
  std::set<DWORD> recorded_;
};

// What the job's thread works with.
struct JobWatch {
  HANDLE port;
  DWORD start_id;
  Record *record;
  HANDLE quiet;          // set once every program of the job has ended
  std::set<DWORD> live;  // the job's running programs, the desktop aside
};

bool Running(HANDLE process) {
  DWORD code = 0;
  return GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
}

// A new program of the job: recorded and ended, unless this observer holds
// it as its debugger (then the debugger's loop does that). Its start can be
// read once it has set up its parameter block, which it does before any of
// its own code runs; while it runs, its loader rebuilds the block and sets
// the directory in it, so a start counts once two reads in a row agree. A
// program that is still being created has no running thread, and Wine
// counts it as ended (signaled) meanwhile: only its exit code tells, and it
// is not ended before it has started.
void Catch(JobWatch &watch, DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                                   PROCESS_TERMINATE | SYNCHRONIZE,
                               FALSE, id);
  if (!process) return;
  Start start, read;
  bool known = false, was_read = false;
  for (DWORD since = GetTickCount();
       !watch.record->Has(id) && Running(process) &&
       GetTickCount() - since < 20000;
       Sleep(10)) {
    bool now_read = ReadStart(process, read);
    if ((known = now_read && was_read && read == start)) break;
    was_read = now_read;
    start = read;
  }
  // One that ended before a second read is known by its one read.
  known = known || was_read;
  if (known && IsWineDesktop(start)) {
    CloseHandle(process);
    return;
  }
  watch.live.insert(id);
  if (!watch.record->Has(id)) {
    if (!known) start = {L"?", L"?", L"?"};
    watch.record->Started(id, start);
    TerminateProcess(process, 0);
  }
  CloseHandle(process);
}

DWORD WINAPI WatchJob(void *context) {
  JobWatch &watch = *static_cast<JobWatch *>(context);
  for (;;) {
    DWORD message;
    ULONG_PTR key;
    OVERLAPPED *data;
    if (!GetQueuedCompletionStatus(watch.port, &message, &key, &data, INFINITE))
      return 0;
    DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
    if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
      if (id == watch.start_id)
        watch.live.insert(id);
      else
        Catch(watch, id);
    } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS ||
               message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
      // Only a running program starts another: once none runs, none comes.
      watch.live.erase(id);
      if (watch.live.empty()) SetEvent(watch.quiet);
    }
  }
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

  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JobWatch watch{CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1), 0,
                 &record, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{nullptr, watch.port};
  if (!job || !watch.port || !watch.quiet ||
      !SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation,
                               &port, sizeof port)) {
    record.Write("failed=job " + std::to_string(GetLastError()));
    return 104;
  }
  std::wstring command = SkipArguments(GetCommandLineW(), 2);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                      DEBUG_PROCESS | CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &started)) {
    record.Write("failed=" + std::to_string(GetLastError()));
    return 102;
  }
  // In the job before its first instruction, so is everything it starts.
  watch.start_id = started.dwProcessId;
  if (!AssignProcessToJobObject(job, started.hProcess) ||
      !CreateThread(nullptr, 0, WatchJob, &watch, 0, nullptr)) {
    record.Write("failed=job " + std::to_string(GetLastError()));
    TerminateProcess(started.hProcess, 1);
    return 104;
  }
  ResumeThread(started.hThread);

  // Done when no debugged program runs and every program of the job has
  // ended: a program that is being started is in the job before its
  // debugger hears of it.
  DWORD exit_code = 0;
  for (int running = 0;
       running > 0 || WaitForSingleObject(watch.quiet, 0) != WAIT_OBJECT_0;) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, 100)) continue;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        ++running;
        if (event.dwProcessId != started.dwProcessId) {
          Start start;
          if (!ReadStart(event.u.CreateProcessInfo.hProcess, start))
            start = {L"?", L"?", L"?"};

          if (IsWineDesktop(start)) {
            --running;
            DebugActiveProcessStop(event.dwProcessId);
          } else {
            record.Started(event.dwProcessId, start);
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
        if (event.dwProcessId == started.dwProcessId)
          exit_code = event.u.ExitProcess.dwExitCode;
        --running;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  record.Write("exit_code=" + std::to_string(exit_code));
  return static_cast<int>(exit_code);
}
